#pragma once
// HeadlessSession: the one place where a boxora-render run meets the
// engine. Every command that draws pictures (scenes, folders, variant
// tables, turntables, thumbnails, print sizes) runs in one:
//  - one engine without a preview, made at first use: no preview frame is
//    drawn, and each face image is decoded once per picture, by its render
//    job, at the size that picture needs;
//  - one reporter: the engine's messages and the progress bar on standard
//    error;
//  - Ctrl+C (SIGINT) and SIGTERM: the run stops at the next wait, and a
//    worker stuck in a library call cannot keep it from ending.
#include <cstddef>
#include <memory>
#include <string>

#include "CliReporter.h"
#include "render/RenderJob.h"

class CEngine;
struct RenderOptions;

class HeadlessSession {
public:
    // Exit status of an interrupted run.
    static constexpr int kInterrupted = 130;

    explicit HeadlessSession(const RenderOptions& options);
    // Releases the engine (a job still running stops and writes nothing)
    // and gives the signals back.
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    CliReporter& Reporter() { return reporter_; }
    // A message on standard error ("boxora-render: text").
    void Say(const std::string& text);
    bool ShowsProgress() const { return reporter_.ShowsProgress(); }
    bool Interrupted() const;

    // The engine; null when no OpenGL context could be made (said once).
    CEngine* Engine();
    // Waits until the engine has nothing left to do; false when the run
    // was interrupted meanwhile.
    bool WaitUntilIdle();

    // Loads a scene file into the engine: its settings from a clean start,
    // every model and image it names, fitted to its images when fitImages.
    // 0 loaded; 1 it cannot be read or something is missing (why says
    // what; images count only without --allow-missing); 130 interrupted.
    int LoadScene(const std::string& scene, bool fitImages, std::string& why);

    // Renders one picture and waits for it: 0 written, 1 not (why holds
    // the job's messages, already reported, or says why), 130
    // interrupted. A face image that gives no pixels fails the job unless
    // --allow-missing.
    int Render(RenderJob job, std::string& why);

    // The status to leave with; says "interrupted" for 130.
    int Finish(int status);

private:
    const RenderOptions& options_;
    CliReporter reporter_;
    std::unique_ptr<CEngine> engine_;
    bool engineFailed_ = false;
};
