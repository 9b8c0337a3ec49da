// The desktop settings store on a private configuration folder.
#include <gtest/gtest.h>

#include <QSettings>

#include "platform/qt/QtSettingsStore.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(QtSettingsStore, KeepsStringsUnderTheApplicationKey) {
    testsupport::TempDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(config.Path().string()));
    {
        boxora::QtSettingsStore store;
        EXPECT_EQ(store.GetString("ActualLanguage", "English"), "English");
        store.SetString("ActualLanguage", "Čeština");
        store.SetString("RenderImageWidth", "640");
        store.SetString("Empty", "");
        EXPECT_EQ(store.GetString("ActualLanguage", "English"), "Čeština");
        EXPECT_EQ(store.GetString("Empty", "default"), "");  // stored empty is not missing
    }
    // A new store (the next start) reads what the last one wrote.
    boxora::QtSettingsStore again;
    EXPECT_EQ(again.GetString("ActualLanguage", ""), "Čeština");
    EXPECT_EQ(again.GetString("RenderImageWidth", "300"), "640");

    // The values sit in Talvenor/Boxora.conf, outside any group.
    const auto file = config.Path() / "Talvenor" / "Boxora.conf";
    ASSERT_TRUE(std::filesystem::exists(file));
    QSettings raw(QString::fromStdString(file.string()), QSettings::IniFormat);
    EXPECT_TRUE(raw.childGroups().isEmpty());
    EXPECT_EQ(raw.value("RenderImageWidth").toString(), "640");
}

}  // namespace
