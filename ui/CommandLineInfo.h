#pragma once
// The program's command line: "-o path" (or "/o path") opens a project at
// start, and so does a bare path (file managers pass one). For the screenshot tool: "--screenshot-tab N" shows tab page
// N first, "--screenshot-subtab N" the Objects tab's sub-page N and
// "--screenshot-format N" selects format N on the Rendering tab. Everything
// else is ignored.
#include <string>
#include <vector>

class CCustomCommandLineInfo {
public:
    // Reads the parameters (without the program name).
    void ParseParams(const std::vector<std::string>& params);

    const std::string& FileToOpen() const { return fileToOpen_; }
    bool OpenFlagPending() const { return openFlagPending_; }
    // The tab page to show first, -1 for the default.
    int StartTab() const { return startTab_; }
    // The Objects tab's sub-page to show, -1 for the default.
    int StartSubTab() const { return startSubTab_; }
    // The Rendering tab's format to select, -1 for the default.
    int StartFormat() const { return startFormat_; }

    // A flag is "-name", or "/name" where name holds no further "/" (an
    // absolute path such as "/home/me/box.scn" stays a parameter).
    static bool IsFlag(const std::string& param);

private:
    void ParseParam(const std::string& param);

    std::string fileToOpen_;
    bool openFlagPending_ = false;
    int* pendingNumber_ = nullptr;
    int startTab_ = -1;
    int startSubTab_ = -1;
    int startFormat_ = -1;
};
