// The language reader against temporary program folders: listing and order,
// the stored choice, the English fallback and the text cut.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "lang/Lng.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"
#include "tests/support/TestSupport.h"

namespace {

// A program folder of its own (BOXORA_HOME) with an empty languages folder,
// and a fresh settings store.
class LngTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("BOXORA_HOME")) oldHome_ = old;
        ::setenv("BOXORA_HOME", home_.Path().c_str(), 1);
        std::filesystem::create_directories(home_.Path() / "languages");
        boxora::SetSettingsStore(&settings_);
    }
    void TearDown() override {
        boxora::SetSettingsStore(nullptr);
        if (oldHome_)
            ::setenv("BOXORA_HOME", oldHome_->c_str(), 1);
        else
            ::unsetenv("BOXORA_HOME");
    }

    std::string LanguagePath(const std::string& fileName) const {
        return (home_.Path() / "languages" / fileName).string();
    }
    // Writes a language file; name empty writes no "Info" section.
    void WriteLanguage(const std::string& fileName, const std::string& name, const std::string& body = "") {
        std::string text;
        if (!name.empty()) text = "[Info]\r\nLanguage=" + name + "\r\n";
        testsupport::WriteFileBytes(LanguagePath(fileName), text + body);
    }
    static std::vector<std::string> Names(const CLng& lng) {
        std::vector<std::string> names;
        for (const LNG_FILE& f : lng.Languages()) names.push_back(f.name);
        return names;
    }

    testsupport::TempDir home_;
    boxora::MemorySettingsStore settings_;
    std::optional<std::string> oldHome_;
};

TEST_F(LngTest, ListIsOrderedByUpperCasedNames) {
    WriteLanguage("z.lng", "Zulu");
    WriteLanguage("cs.lng", "Čeština");
    WriteLanguage("de.lng", "deutsch");  // sorts as DEUTSCH
    WriteLanguage("en.lng", "English");
    WriteLanguage("fr.LNG", "Français");  // the extension matches in any case
    WriteLanguage("ab.lng", "abc");
    WriteLanguage("notes.txt", "Aaa");  // not a language file
    std::filesystem::create_directories(home_.Path() / "languages" / "folder.lng");

    CLng lng;
    ASSERT_TRUE(lng.ListLanguages());
    EXPECT_EQ(Names(lng), (std::vector<std::string>{"abc", "deutsch", "English", "Français", "Zulu", "Čeština"}));
    const auto list = lng.Languages();
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].index, static_cast<int>(i));
    EXPECT_EQ(list[5].path, LanguagePath("cs.lng"));
    // Nothing stored: the default "English" is chosen.
    EXPECT_EQ(lng.CurrentIndex(), 2);
    EXPECT_EQ(lng.CurrentPath(), LanguagePath("en.lng"));
}

TEST_F(LngTest, EqualNamesKeepAStableOrderAndTheLastMatchWins) {
    WriteLanguage("b.lng", "Deutsch", "[S]\nk=second\n");
    WriteLanguage("a.lng", "DEUTSCH", "[S]\nk=first\n");
    WriteLanguage("c.lng", "English");
    settings_.SetString("ActualLanguage", "deutsch");

    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(Names(lng), (std::vector<std::string>{"DEUTSCH", "Deutsch", "English"}));
    EXPECT_EQ(lng.CurrentIndex(), 1);  // both match without regard to case
    EXPECT_EQ(lng.GetText("S", "k"), "second");
}

TEST_F(LngTest, RemovedLanguageFallsBackToEnglishInAnyCase) {
    WriteLanguage("English.lng", "ENGLISH", "[Menu]\nmenufile=&File\n");
    WriteLanguage("de.lng", "Deutsch", "[Menu]\nmenufile=&Datei\n");
    settings_.SetString("ActualLanguage", "Klingon");

    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(lng.CurrentIndex(), 1);
    EXPECT_EQ(lng.Languages()[1].name, "ENGLISH");
    EXPECT_EQ(lng.GetText("menu", "MENUFILE"), "&File");
    // Listing never rewrites the stored choice.
    EXPECT_EQ(settings_.GetString("ActualLanguage", ""), "Klingon");
}

TEST_F(LngTest, WithoutAnyMatchLookupsReadEnglishFile) {
    WriteLanguage("English.lng", "British", "[Menu]\nmenufile=&File\n");
    WriteLanguage("de.lng", "Deutsch", "[Menu]\nmenufile=&Datei\n");
    settings_.SetString("ActualLanguage", "Klingon");

    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(lng.CurrentIndex(), -1);
    EXPECT_EQ(lng.CurrentPath(), "");
    EXPECT_EQ(lng.GetText("Menu", "menufile"), "&File");
}

TEST_F(LngTest, MissingOrEmptyKeysComeFromEnglish) {
    WriteLanguage("English.lng", "English",
                  "[TabGeneral]\ntmplexist=A template named \"%s\" already exists.\nok=OK\ncancel=Cancel\n"
                  "[Common]\ntextnotfound=Not found: %s\n");
    WriteLanguage("de.lng", "Deutsch", "[TabGeneral]\nok=Gut\ncancel=\n");
    settings_.SetString("ActualLanguage", "Deutsch");

    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(lng.GetText("TabGeneral", "ok"), "Gut");
    EXPECT_EQ(lng.GetText("TabGeneral", "tmplexist"), "A template named \"%s\" already exists.");
    EXPECT_EQ(lng.GetText("TabGeneral", "cancel"), "Cancel");           // empty value falls back too
    EXPECT_EQ(lng.GetText("Common", "textnotfound"), "Not found: %s");  // whole section missing
    EXPECT_EQ(lng.GetText("TabGeneral", "nosuchkey"), "");
}

TEST_F(LngTest, TextsAreCutTo259Units) {
    const std::string ascii(300, 'a');
    std::string accented;
    for (int i = 0; i < 300; ++i) accented += "Č";
    WriteLanguage("English.lng", "English", "[S]\nascii=" + ascii + "\naccented=" + accented + "\n");

    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(lng.GetText("S", "ascii"), std::string(259, 'a'));
    EXPECT_EQ(boxora::Utf16Length(lng.GetText("S", "accented")), 259u);
    // The reader works before the list is built: everything from English.
    CLng fresh;
    EXPECT_EQ(fresh.GetText("S", "ascii").size(), 259u);
}

TEST_F(LngTest, FileWithoutNameIsListedAndCanBeChosen) {
    WriteLanguage("English.lng", "English", "[S]\nk=english\n");
    WriteLanguage("anon.lng", "", "[S]\nk=anonymous\n");

    CLng lng;
    lng.ListLanguages();
    ASSERT_EQ(Names(lng), (std::vector<std::string>{"", "English"}));
    EXPECT_EQ(lng.CurrentIndex(), 1);
    lng.SelectLanguage(0);
    EXPECT_EQ(lng.GetText("S", "k"), "anonymous");
    EXPECT_EQ(settings_.GetString("ActualLanguage", "unset"), "");
    // The empty stored name selects the nameless file again on the next start.
    CLng next;
    next.ListLanguages();
    EXPECT_EQ(next.CurrentIndex(), 0);
}

TEST_F(LngTest, SelectingSwitchesTextsAndStoresTheName) {
    WriteLanguage("English.lng", "English", "[Menu]\nmenufile=&File\nmenuhelp=&Help\n");
    WriteLanguage("cs.lng", "Čeština", "[Menu]\nmenufile=&Soubor\n");

    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(lng.GetText("Menu", "menufile"), "&File");
    lng.SelectLanguage(1);
    EXPECT_EQ(lng.CurrentIndex(), 1);
    EXPECT_EQ(lng.GetText("Menu", "menufile"), "&Soubor");
    EXPECT_EQ(lng.GetText("Menu", "menuhelp"), "&Help");
    EXPECT_EQ(settings_.GetString("ActualLanguage", ""), "Čeština");

    // Unknown indexes change nothing.
    lng.SelectLanguage(2);
    lng.SelectLanguage(-1);
    EXPECT_EQ(lng.CurrentIndex(), 1);
    EXPECT_EQ(settings_.GetString("ActualLanguage", ""), "Čeština");

    // A stored name differing only in case selects the language at start.
    settings_.SetString("ActualLanguage", "ČEŠTINA");
    CLng next;
    next.ListLanguages();
    EXPECT_EQ(next.CurrentIndex(), 1);
}

TEST_F(LngTest, RebuildingTheListRereadsChangedFiles) {
    WriteLanguage("English.lng", "English", "[S]\nk=old\n");
    CLng lng;
    lng.ListLanguages();
    EXPECT_EQ(lng.GetText("S", "k"), "old");
    WriteLanguage("English.lng", "English", "[S]\nk=new\n");
    lng.ListLanguages();
    EXPECT_EQ(lng.GetText("S", "k"), "new");
}

TEST_F(LngTest, NoLanguageFilesAtAll) {
    std::filesystem::remove_all(home_.Path() / "languages");
    CLng lng;
    EXPECT_TRUE(lng.ListLanguages());
    EXPECT_TRUE(lng.Languages().empty());
    EXPECT_EQ(lng.CurrentIndex(), -1);
    EXPECT_EQ(lng.GetText("Menu", "menufile"), "");
    lng.SelectLanguage(0);
    EXPECT_EQ(lng.CurrentIndex(), -1);
}

TEST_F(LngTest, LookupsFromOtherThreadsWhileTheLanguageChanges) {
    WriteLanguage("English.lng", "English", "[StatusBar]\nrender=Rendering...\n[S]\nonly=english\n");
    WriteLanguage("de.lng", "Deutsch", "[StatusBar]\nrender=Wird gerendert...\n");
    CLng lng;
    lng.ListLanguages();

    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::string text = lng.GetText("StatusBar", "render");
                if (text != "Rendering..." && text != "Wird gerendert...") ++bad;
                if (lng.GetText("S", "only") != "english") ++bad;
            }
        });
    }
    for (int i = 0; i < 200; ++i) lng.SelectLanguage(i % 2);
    stop = true;
    for (auto& r : readers) r.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
