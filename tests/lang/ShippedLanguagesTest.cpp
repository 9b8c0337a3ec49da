// The language files the program ships: English holds every key the program
// looks up, and every other language holds the same keys, non-empty, with the
// same "%s" placeholders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "boxora/SourceTree.h"
#include "lang/Lng.h"
#include "platform/ProfileFile.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"
#include "tests/support/TestSupport.h"

namespace {

const std::filesystem::path kLanguages = std::filesystem::path(BOXORA_SOURCE_DIR) / "languages";

// Every section and key the program looks up.
const std::vector<std::pair<std::string, std::vector<std::string>>> kKeys = {
    {"Menu", {"menufile", "menurnd",    "menuoptions", "menuhelp", "menutheme", "menulng",    "menunew",    "menuopen",
              "menusave", "menusaveas", "menusaveast", "menuexit", "menuras",   "menucai",    "menuhome",   "menuabout",
              "menuedit", "menuundo",   "menuredo",    "menuview", "menuframe", "menurecent", "menucollect"}},
    {"Toolbar", {"tlbnew", "tlbopen", "tlbsave", "tlbras"}},
    {"StatusBar", {"render", "loadtmpl", "loadobj", "loadproj", "written", "openfolder"}},
    {"About", {"version", "build"}},
    {"Preview", {"preview", "emptyhint"}},
    {"TabGeneral",
     {"general", "templates", "loadtemplate", "saveproj", "delteml", "savetempl", "ok", "cancel", "templname",
      "saveprj", "deltemplate", "erdeltemplate", "ersavetemplate", "invalidname", "tmplexist", "errrename",
      "errsaveprj"}},
    {"TabScene",
     {"scene", "objinscn", "avlblobj", "addobj", "delobj", "addshape", "shapetitle", "shapekind", "shapeunits",
      "shapefaces"}},
    {"TabObjects",
     {"objects",     "objs",      "txt",      "tran",       "rotate",      "scale",     "front", "back",
      "left",        "right",     "top",      "bottom",     "x",           "y",         "z",     "fitimages",
      "fitnoimages", "lockscale", "sizeunit", "scalewidth", "scaleheight", "scaledepth"}},
    {"TabCamera", {"camera", "camh", "camv", "camth", "camtv", "camz", "camp"}},
    {"TabLighting", {"lighting", "gl", "br", "ls1", "lh1", "lv1", "ld1", "ls2", "lh2", "lv2", "ld2"}},
    {"TabShadows", {"shadows", "sh", "sd", "sl", "si", "sb"}},
    {"TabReflection", {"reflection", "refl", "rl", "ro", "bg", "cl", "transp", "bgcl"}},
    {"TabRendering", {"rendering", "imgf",     "frmt",    "flnm",    "brws",     "imgsz",    "imgwdt",    "imghgt",
                      "kpprop",    "imgprt",   "rndsave", "errsave", "pngprop",  "jpegprop", "gifprop",   "tiffprop",
                      "intrl",     "notintrl", "bsln",    "prgrs",   "optmz",    "auto",     "none",      "pckb",
                      "jpeg",      "lzw",      "rle",     "fax",     "webpprop", "lsslss",   "errsavewhy"}},
    {"Turntable", {"menuturn", "tttitle",     "ttframes",   "ttfps",    "ttwidth", "ttheight",   "ttformat",
                   "ttfile",   "ttbrowse",    "ttrender",   "ttcancel", "ttclose", "ttprogress", "ttdone",
                   "tterror",  "ttcancelled", "ttsequence", "ttsweep",  "ttfrom",  "ttto",       "ttlossless"}},
    {"PrintRender",
     {"menuprint", "prtitle",  "prpaper", "prcustom",    "prorient",   "prportrait", "prlandscape", "prsize",
      "prmm",      "prin",     "prdpi",   "prpixels",    "prtoolarge", "prformat",   "prfile",      "prbrowse",
      "prrender",  "prcancel", "prclose", "prrendering", "prdone",     "prerror",    "prcancelled"}},
    {"Common",
     {"textnotfound", "recentgone", "textunreadable", "texturebudget", "filesmissing", "collected",
      "textunreadablewhy"}},
    {"Dieline",
     {"menudieline",   "dltitle",      "dlstyle",    "dlrte",        "dlste",     "dlsnaplock",  "dlautolock",
      "dlmailer",      "dltraysleeve", "dlwidth",    "dlheight",     "dldepth",   "dlthickness", "dlbleed",
      "dlglue",        "dlfile",       "dlbrowse",   "dlexport",     "dlclose",   "dlnote",      "dldone",
      "badwidth",      "badheight",    "baddepth",   "badthickness", "badbleed",  "badglue",     "thick",
      "widegluepanel", "widegluetop",  "smallbleed", "badformat",    "pdffailed", "writefailed"}},
};

// The format keys and how many texts they are given.
const std::map<std::string, int> kPlaceholders = {
    {"saveprj", 1},      {"deltemplate", 1},    {"erdeltemplate", 1},
    {"invalidname", 2},  {"tmplexist", 1},      {"errrename", 1},
    {"errsave", 1},      {"textnotfound", 1},   {"errsaveprj", 1},
    {"recentgone", 1},   {"textunreadable", 1}, {"texturebudget", 1},
    {"ttprogress", 2},   {"ttdone", 1},         {"tterror", 2},
    {"filesmissing", 1}, {"collected", 2},      {"written", 1},
    {"prpixels", 2},     {"prtoolarge", 1},     {"prrendering", 2},
    {"prdone", 1},       {"prerror", 1},        {"dldone", 1},
    {"badwidth", 2},     {"badheight", 2},      {"baddepth", 2},
    {"badthickness", 2}, {"badbleed", 2},       {"badglue", 2},
    {"thick", 2},        {"widegluepanel", 2},  {"widegluetop", 2},
    {"smallbleed", 1},   {"badformat", 1},      {"pdffailed", 1},
    {"writefailed", 2},  {"errsavewhy", 2},     {"textunreadablewhy", 2},
};

// Entries of one menu: their "&" letters must differ.
const std::vector<std::vector<std::string>> kMenus = {
    {"menufile", "menuedit", "menuview", "menurnd", "menuoptions", "menuhelp"},
    {"menunew", "menuopen", "menurecent", "menusave", "menusaveas", "menusaveast", "menucollect", "menuexit"},
    {"menuundo", "menuredo"},
    {"menutheme", "menulng"},
    {"menucai", "menuhome", "menuabout"},
};

int CountPlaceholders(const std::string& text) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] == 's') ++n;
        ++i;  // "%%" and "%s" both take two characters
    }
    return n;
}

// Any other '%' would be printed as it is, which is almost certainly a typo.
bool HasStrayPercent(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 >= text.size() || (text[i + 1] != 's' && text[i + 1] != '%')) return true;
        ++i;
    }
    return false;
}

std::vector<std::filesystem::path> ShippedFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(kLanguages))
        if (e.path().extension() == ".lng") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Lines "[section]" and "key=value" of a file, for checks the reader itself
// does not make (duplicates, unknown keys).
std::vector<std::pair<std::string, std::string>> SectionKeyPairs(const std::string& path) {
    std::string text = testsupport::ReadFileBytes(path);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string section;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        pairs.emplace_back(section, line.substr(0, line.find('=')));
    }
    return pairs;
}

TEST(ShippedLanguages, EnglishHoldsEveryKey) {
    const auto english = boxora::ProfileDocument::Load((kLanguages / "English.lng").string());
    EXPECT_EQ(english.GetString("Info", "Language", ""), "English");
    for (const auto& [section, keys] : kKeys) {
        for (const std::string& key : keys) {
            const std::string text = english.GetString(section, key, "");
            EXPECT_FALSE(text.empty()) << section << "/" << key;
            const auto it = kPlaceholders.find(key);
            EXPECT_EQ(CountPlaceholders(text), it == kPlaceholders.end() ? 0 : it->second) << key;
        }
    }
}

TEST(ShippedLanguages, EveryLanguageMatchesEnglish) {
    const auto english = boxora::ProfileDocument::Load((kLanguages / "English.lng").string());
    std::set<std::string> known;
    for (const auto& [section, keys] : kKeys)
        for (const std::string& key : keys) known.insert(boxora::ToLowerText(section + "/" + key));
    known.insert("info/language");
    known.insert("info/locale");

    const auto files = ShippedFiles();
    ASSERT_GE(files.size(), 4u);
    std::set<std::string> displayNames;
    int withMark = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string bytes = testsupport::ReadFileBytes(path.string());
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) ++withMark;
        EXPECT_EQ(boxora::Utf16ToUtf8(boxora::Utf8ToUtf16(bytes)), bytes) << "not valid UTF-8";

        const auto doc = boxora::ProfileDocument::Load(path.string());
        const std::string name = doc.GetString("Info", "Language", "");
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(displayNames.insert(boxora::ToUpperText(name)).second) << "display name used twice: " << name;
        EXPECT_FALSE(doc.GetString("Info", "Locale", "").empty()) << "no locale for Qt's own translations";

        for (const auto& [section, keys] : kKeys) {
            for (const std::string& key : keys) {
                const std::string text = doc.GetString(section, key, "");
                EXPECT_FALSE(text.empty()) << section << "/" << key;
                EXPECT_EQ(CountPlaceholders(text), CountPlaceholders(english.GetString(section, key, "")))
                    << section << "/" << key << ": " << text;
                EXPECT_FALSE(HasStrayPercent(text)) << section << "/" << key << ": " << text;
            }
        }
        // No misspelt or repeated keys (the reader would silently use the first).
        std::set<std::string> seen;
        for (const auto& [section, key] : SectionKeyPairs(path.string())) {
            const std::string id = boxora::ToLowerText(section + "/" + key);
            EXPECT_TRUE(known.count(id)) << "unknown key " << id;
            EXPECT_TRUE(seen.insert(id).second) << "repeated key " << id;
        }
        // Menu shortcuts are unique within each menu.
        for (const auto& menu : kMenus) {
            std::set<std::string> letters;
            for (const std::string& key : menu) {
                const std::string text = doc.GetString("Menu", key, "");
                const auto amp = text.find('&');
                if (amp == std::string::npos || amp + 1 >= text.size()) continue;
                const std::string letter = boxora::ToUpperText(boxora::CutToUtf16Units(text.substr(amp + 1), 1));
                EXPECT_TRUE(letters.insert(letter).second) << "shortcut " << letter << " used twice (" << key << ")";
            }
        }
    }
    EXPECT_GE(withMark, 1) << "one file should carry the UTF-8 byte-order mark";
    EXPECT_LT(withMark, static_cast<int>(files.size())) << "one file should be plain UTF-8";
}

// The shipped folder through the reader: order, accented names and a choice
// stored in another case.
TEST(ShippedLanguages, ReaderListsTheShippedFolder) {
    std::optional<std::string> oldHome;
    if (const char* old = std::getenv("BOXORA_HOME")) oldHome = old;
    ::setenv("BOXORA_HOME", BOXORA_SOURCE_DIR, 1);
    boxora::MemorySettingsStore settings;
    boxora::SetSettingsStore(&settings);
    settings.SetString("ActualLanguage", "čEŠTINA");

    CLng lng;
    lng.ListLanguages();
    const auto list = lng.Languages();
    ASSERT_GE(list.size(), 4u);
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LE(boxora::CompareUpperOrdinal(list[i - 1].name, list[i].name), 0);
    EXPECT_EQ(list.back().name, "Čeština");  // accented capitals sort after plain ones
    EXPECT_EQ(lng.CurrentIndex(), static_cast<int>(list.size()) - 1);
    EXPECT_EQ(lng.GetText("Menu", "menufile"), "&Soubor");
    EXPECT_EQ(boxora::FormatText(lng.GetText("TabGeneral", "tmplexist"), {"Krabice"}),
              "Šablona s názvem „Krabice“ již existuje.");

    boxora::SetSettingsStore(nullptr);
    if (oldHome)
        ::setenv("BOXORA_HOME", oldHome->c_str(), 1);
    else
        ::unsetenv("BOXORA_HOME");
}

}  // namespace
