#pragma once
// Shared set-up of the engine tests: a program folder of their own (models
// in data/Objects/, textures in data/texture/), a recording notifier, and a
// renderer that counts frames instead of drawing.
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "engine/Engine.h"
#include "platform/Notifier.h"
#include "tests/support/ModelFixtures.h"
#include "tests/support/TestSupport.h"

class CountingRenderer : public IFrameRenderer {
public:
    std::atomic<int> quickFrames{0};
    std::atomic<int> fullFrames{0};
    std::atomic<int> jobs{0};
    std::atomic<int> frameMillis{0};
    std::atomic<int> jobMillis{0};
    std::atomic<bool> contextsReleased{false};
    // Called inside DrawFrame (scene thread, engine lock held).
    std::function<void(int mode)> onFrame;
    std::function<void(const RenderJob&)> onJob;
    // Draws the job's picture (render thread); without it a job hands over
    // no pixels.
    std::function<void(const RenderJob&, IPictureSink&)> onPicture;

    bool CreateContexts(IFrameSink*) override { return true; }
    bool ReleaseContexts() override {
        contextsReleased = true;
        return true;
    }
    void BeginSceneThread() override {}
    void EndSceneThread() override {}
    void BeginRenderThread() override {}
    void EndRenderThread() override {}
    void ApplySize(int, int) override {}
    bool DrawFrame(int mode) override {
        (mode == 0 ? quickFrames : fullFrames)++;
        if (onFrame) onFrame(mode);
        if (frameMillis > 0) std::this_thread::sleep_for(std::chrono::milliseconds(frameMillis.load()));
        return true;
    }
    boxora::Outcome RenderPicture(const RenderJob& job, IPictureSink& sink) override {
        ++jobs;
        if (onJob) onJob(job);
        if (onPicture) onPicture(job, sink);
        if (jobMillis > 0) std::this_thread::sleep_for(std::chrono::milliseconds(jobMillis.load()));
        return {};
    }
    void InvalidateShadowList() override {}
};

// Points the program folder at a fresh temporary folder for the lifetime of
// the fixture (set before any worker thread starts).
class EngineTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("BOXORA_HOME")) oldHome_ = old;
        setenv("BOXORA_HOME", dir.Path().c_str(), 1);
        std::filesystem::create_directories(dir.Path() / "data" / "Objects");
        std::filesystem::create_directories(dir.Path() / "data" / "texture");
        boxora::SetNotifier(&notes);
    }
    void TearDown() override {
        boxora::SetNotifier(nullptr);
        if (oldHome_.empty())
            unsetenv("BOXORA_HOME");
        else
            setenv("BOXORA_HOME", oldHome_.c_str(), 1);
    }

    std::string ObjectPath(const std::string& name) const {
        return (dir.Path() / "data" / "Objects" / (name + ".3ds")).string();
    }
    std::string TexturePath(const std::string& name) const { return (dir.Path() / "data" / "texture" / name).string(); }
    // Writes a catalogue model data/Objects/<name>.3ds.
    std::string AddCatalogueModel(const std::string& name, const model3ds::Model& model) const {
        return fixtures::WriteModel(ObjectPath(name), model);
    }
    std::string AddTexture(const std::string& name) const {
        testsupport::WriteFileBytes(TexturePath(name), "image");
        return TexturePath(name);
    }

    testsupport::TempDir dir;
    boxora::RecordingNotifier notes;

private:
    std::string oldHome_;
};
