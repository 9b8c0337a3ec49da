#pragma once
// Shared set-up of the desktop tests: one QApplication on the offscreen
// platform, a private program folder with two small language files, and an
// in-memory settings store.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <memory>
#include <string>

#include "platform/Settings.h"
#include "tests/support/TestSupport.h"

namespace guitest {

// The process's QApplication (created on first use when none exists).
QApplication& App();

// While alive: BOXORA_HOME points at a temporary program folder holding
// languages/English.lng and languages/Deutsch.lng, XDG_DATA_HOME at an empty
// temporary folder (the template library goes there), and the settings live
// in memory.
class GuiEnvironment {
public:
    GuiEnvironment();
    ~GuiEnvironment();
    boxora::MemorySettingsStore& Settings() { return settings_; }
    std::string ProgramFolder() const { return home_.Path().string(); }
    std::string UserDataFolder() const { return userData_.Path().string(); }
    // Copies the program's model catalogue and textures (data/) into the
    // temporary program folder.
    void InstallCatalogue();
    // Replaces the test's language files with the shipped ones.
    void InstallShippedLanguages();
    // The temporary program folder's data/Objects/, with a trailing "/".
    std::string ObjectsFolder() const;

private:
    testsupport::TempDir home_;
    testsupport::TempDir userData_;
    boxora::MemorySettingsStore settings_;
    std::string previousHome_;
    bool hadHome_ = false;
    std::string previousDataHome_;
    bool hadDataHome_ = false;
};

// Processes pending events (queued calls, repaints).
void ProcessEvents();

// Processes events until done() holds; false when the time ran out first.
template <class Condition>
bool WaitFor(Condition done, int milliseconds = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
    return true;
}

}  // namespace guitest
