#include "platform/qt/QtSettingsStore.h"

#include <QSettings>
#include <QString>

namespace boxora {
namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QtSettingsStore::QtSettingsStore() : settings_(std::make_unique<QSettings>("Talvenor", "Boxora")) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::GetString(std::string_view name, std::string_view def) const {
    std::lock_guard lock(mutex_);
    const QString key = ToQString(name);
    if (!settings_->contains(key)) return std::string(def);
    return settings_->value(key).toString().toStdString();
}

void QtSettingsStore::SetString(std::string_view name, std::string_view value) {
    std::lock_guard lock(mutex_);
    settings_->setValue(ToQString(name), ToQString(value));
    settings_->sync();
}

}  // namespace boxora
