#pragma once
// Shared pieces of the project tests: a program folder with a small English
// language file, an engine double that writes real scene files, a notifier
// with scripted answers and a project UI with scripted file dialogs.
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/IEngine.h"
#include "platform/Notifier.h"
#include "project/ProjectCommands.h"
#include "tests/gui/FakeEngine.h"
#include "tests/support/TestSupport.h"

namespace projecttest {

// While alive: BOXORA_HOME is a scratch program folder with an English.lng
// holding the project and template texts; XDG_DATA_HOME is a scratch folder.
class ProgramFolders {
public:
    ProgramFolders() {
        Remember("BOXORA_HOME", home_);
        Remember("XDG_DATA_HOME", dataHome_);
        std::filesystem::create_directories(program_.Path() / "languages");
        testsupport::WriteFileBytes(program_.File("languages/English.lng"),
                                    "[Info]\nLanguage=English\n"
                                    "[TabGeneral]\n"
                                    "saveprj=Save changes to \"%s\"?\n"
                                    "errsaveprj=Project not saved: \"%s\".\n"
                                    "[TabRendering]\n"
                                    "errsave=Cannot save \"%s\".\n");
        ::setenv("BOXORA_HOME", program_.Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", userData_.Path().c_str(), 1);
    }
    ~ProgramFolders() {
        Restore("BOXORA_HOME", home_);
        Restore("XDG_DATA_HOME", dataHome_);
    }
    ProgramFolders(const ProgramFolders&) = delete;
    ProgramFolders& operator=(const ProgramFolders&) = delete;

    const testsupport::TempDir& Program() const { return program_; }
    const testsupport::TempDir& UserData() const { return userData_; }

private:
    static void Remember(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name)) slot = value;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot)
            ::setenv(name, slot->c_str(), 1);
        else
            ::unsetenv(name);
    }

    testsupport::TempDir program_;
    testsupport::TempDir userData_;
    std::optional<std::string> home_;
    std::optional<std::string> dataHome_;
};

// The recording engine, with SaveScene writing a small file (or failing on
// request).
class SceneFileEngine : public FakeEngine {
public:
    bool saveFails = false;
    std::vector<std::string> savedPaths;

    bool SaveScene(const std::string& path) override {
        FakeEngine::SaveScene(path);
        savedPaths.push_back(path);
        if (saveFails) return false;
        testsupport::WriteFileBytes(path, "[SCENE]\nVersion=1.8\n");
        return std::filesystem::exists(path);
    }
};

// Answers questions from a script (then Cancel / No / Ok) and records every
// message box and notification.
class ScriptedNotifier : public boxora::INotifier {
public:
    std::deque<boxora::MsgAnswer> answers;
    std::vector<boxora::RecordingNotifier::Message> messages;
    std::vector<boxora::RecordingNotifier::Notification> notifications;

    boxora::MsgAnswer ShowMessage(const std::string& text, boxora::MsgIcon icon, boxora::MsgButtons buttons) override {
        messages.push_back({text, icon, buttons});
        if (!answers.empty()) {
            const boxora::MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
            case boxora::MsgButtons::Ok: return boxora::MsgAnswer::Ok;
            case boxora::MsgButtons::YesNo: return boxora::MsgAnswer::No;
            default: return boxora::MsgAnswer::Cancel;
        }
    }
    void EngineNotify(int message, int wParam) override { notifications.push_back({message, wParam}); }
};

// Installs a notifier for the lifetime of the guard.
class NotifierScope {
public:
    explicit NotifierScope(boxora::INotifier& notifier) { boxora::SetNotifier(&notifier); }
    ~NotifierScope() { boxora::SetNotifier(nullptr); }
    NotifierScope(const NotifierScope&) = delete;
    NotifierScope& operator=(const NotifierScope&) = delete;
};

// File dialogs answered from a script (then cancelled); records what each
// dialog was asked to show.
class ScriptedProjectUi : public boxora::IProjectUi {
public:
    struct Request {
        bool save;
        std::string defaultExtension;
        std::string initialName;
        std::string filter;
    };
    std::deque<std::optional<std::string>> paths;
    std::vector<Request> requests;
    std::string title;
    int busyDepth = 0;
    int busyCount = 0;
    bool modified = false;  // the scene holds unsaved changes

    std::optional<std::string> AskOpenPath(const std::string& filter) override {
        requests.push_back({false, "", "", filter});
        return Next();
    }
    std::optional<std::string> AskSavePath(const std::string& defaultExtension, const std::string& initialName,
                                           const std::string& filter) override {
        requests.push_back({true, defaultExtension, initialName, filter});
        return Next();
    }
    void SetTitle(const std::string& t) override { title = t; }
    bool HasUnsavedChanges() const override { return modified; }
    void ProjectSaved() override { modified = false; }
    void ProjectReplaced() override { modified = false; }
    void SetBusy(bool busy) override {
        busyDepth += busy ? 1 : -1;
        if (busy) ++busyCount;
    }

private:
    std::optional<std::string> Next() {
        if (paths.empty()) return std::nullopt;
        std::optional<std::string> p = paths.front();
        paths.pop_front();
        return p;
    }
};

}  // namespace projecttest
