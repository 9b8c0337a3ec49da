// The worker threads: redraw counter semantics, queue order, render jobs,
// Release while busy, and changes made while the engine lock is busy.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "image/ImageCodec.h"
#include "image/ImageFormat.h"

namespace {

using namespace std::chrono_literals;

class EngineThreadTest : public EngineTestBase {
protected:
    void SetUp() override {
        EngineTestBase::SetUp();
        engine.SetReporter(&notes);
    }
    void Start() {
        renderer = new CountingRenderer;
        engine.SetFrameRenderer(std::unique_ptr<IFrameRenderer>(renderer));
        ASSERT_TRUE(engine.Initialize(nullptr));
        engine.Redraw();
        ASSERT_TRUE(engine.WaitForIdle(10s));
    }
    void TearDown() override {
        engine.Release();
        EngineTestBase::TearDown();
    }

    CEngine engine;
    CountingRenderer* renderer = nullptr;
};

// A simple one-shot handshake between two threads.
class Gate {
public:
    void Open() {
        {
            std::lock_guard l(m_);
            open_ = true;
        }
        cv_.notify_all();
    }
    bool Wait(std::chrono::milliseconds limit = 10s) {
        std::unique_lock l(m_);
        const bool ok = cv_.wait_for(l, limit, [&] { return open_; });
        open_ = false;
        return ok;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

TEST_F(EngineThreadTest, RedrawBeforeInitializeStartsNothing) {
    engine.Redraw();
    EXPECT_FALSE(engine.ThreadsRunning());
    EXPECT_FALSE(engine.WaitForIdle(10ms));
}

TEST_F(EngineThreadTest, FirstRedrawDrawsAQuickAndAFullFrame) {
    Start();
    EXPECT_GE(renderer->quickFrames.load(), 1);
    EXPECT_EQ(renderer->fullFrames.load(), 1);
}

// Each quick frame of the burst waits until the user-interface thread has
// made one more change, so every frame sees a newer request.
TEST_F(EngineThreadTest, BurstGivesQuickFramesThenExactlyOneFullFrame) {
    Start();
    constexpr int kChanges = 20;
    Gate frameStarted, changeMade;
    std::atomic<int> remaining{kChanges};
    std::atomic<int> fullDuringBurst{0};
    renderer->onFrame = [&](int mode) {
        if (mode == RENDER_MODE_FULL && remaining > 0) ++fullDuringBurst;
        if (mode == RENDER_MODE_QUICK && remaining > 0) {
            frameStarted.Open();
            changeMade.Wait();
        }
    };
    renderer->quickFrames = 0;
    renderer->fullFrames = 0;
    engine.SetCameraZoom(0);
    for (int i = 1; i <= kChanges; ++i) {
        ASSERT_TRUE(frameStarted.Wait());
        engine.SetCameraZoom(static_cast<float>(i));
        --remaining;
        changeMade.Open();
    }
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_EQ(fullDuringBurst.load(), 0);
    EXPECT_EQ(renderer->fullFrames.load(), 1);
    EXPECT_EQ(renderer->quickFrames.load(), kChanges + 1);
    EXPECT_EQ(engine.RedrawCounter(), 0);
}

TEST_F(EngineThreadTest, BurstOfSettersFromTheUserInterfaceEndsWithOneFullFrame) {
    Start();
    renderer->frameMillis = 2;
    renderer->quickFrames = 0;
    renderer->fullFrames = 0;
    for (int i = 0; i < 200; ++i) engine.SetGlobalLightBrightness(static_cast<float>(i % 100));
    ASSERT_TRUE(engine.WaitForIdle(10s));
    // However the burst was cut into frames, it ends with exactly one full
    // frame after its last change, and never more full than quick frames.
    const int full = renderer->fullFrames.load();
    EXPECT_GE(full, 1);
    EXPECT_LE(full, renderer->quickFrames.load());
    renderer->fullFrames = 0;
    engine.Redraw();
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_EQ(renderer->fullFrames.load(), 1);
}

TEST_F(EngineThreadTest, QueuesAreProcessedDeleteAddLoadTextures) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    const std::string scene = dir.File("one.scn");
    {
        // Queue everything before the threads start: the first turn of the
        // scene thread then meets all four queues at once.
        std::lock_guard lock(engine.Lock());
        engine.Models().LoadModelFile(ObjectPath("Box"), true);
        engine.Sides().BuildSides();
    }
    ASSERT_TRUE(engine.SaveScene(scene));
    engine.SetObjectImage(0, 0, AddTexture("front.png"));  // pending upload
    engine.LoadScene(scene);
    engine.AddObject(ObjectPath("Box"));
    engine.QueueObjectDeletion(0);
    std::vector<std::string> trace;
    std::mutex traceMutex;
    engine.SetQueueTrace([&](const char* queue) {
        std::lock_guard l(traceMutex);
        trace.push_back(queue);
    });
    Start();
    std::lock_guard l(traceMutex);
    // The load deletes the objects and loads its own, whose images (from the
    // scene thread) need no pending upload: the pending record of the deleted
    // object is dropped with it.
    EXPECT_EQ(trace, (std::vector<std::string>{"delete", "add", "load"}));
    EXPECT_EQ(engine.GetObjectList().size(), 1u);
}

TEST_F(EngineThreadTest, QueuedTextureUploadRunsAfterTheOtherQueues) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    {
        std::lock_guard lock(engine.Lock());
        engine.Models().LoadModelFile(ObjectPath("Box"), true);
        engine.Models().LoadModelFile(ObjectPath("Box"), true);
        engine.Sides().BuildSides();
    }
    engine.SetObjectImage(1, 2, AddTexture("left.png"));
    engine.AddObject(ObjectPath("Box"));
    engine.QueueObjectDeletion(0);
    std::vector<std::string> trace;
    std::mutex traceMutex;
    engine.SetQueueTrace([&](const char* queue) {
        std::lock_guard l(traceMutex);
        trace.push_back(queue);
    });
    Start();
    std::lock_guard l(traceMutex);
    EXPECT_EQ(trace, (std::vector<std::string>{"delete", "add", "textures"}));
    EXPECT_TRUE(engine.Textures().PendingTextures().empty());
    EXPECT_NE(engine.Textures().Names()[7 + 2], 0u);
}

TEST_F(EngineThreadTest, TexturesLoadedOnTheSceneThreadGetNamesOneTwoThree) {
    AddTexture("a.png");
    AddTexture("b.png");
    AddTexture("c.png");
    AddCatalogueModel("Box", fixtures::BoxModel("Box", 10, 0, {"a.png", "b.png", "c.png"}));
    Start();
    engine.AddObject(ObjectPath("Box"));
    engine.Redraw();
    ASSERT_TRUE(engine.WaitForIdle(10s));
    const auto& names = engine.Textures().Names();
    EXPECT_EQ(names[0], 1u);
    EXPECT_EQ(names[1], 2u);
    EXPECT_EQ(names[2], 3u);
    EXPECT_EQ(engine.Textures().AllTextures().size(), 3u);
    EXPECT_TRUE(engine.Textures().PendingTextures().empty());
    const auto n = notes.Notifications();
    ASSERT_GE(n.size(), 3u);
    EXPECT_EQ(n[0].message, boxora::WM_ENGINE_BEGIN);
    EXPECT_EQ(n[0].wParam, boxora::ENGINE_OP_ADD_OBJECTS);
}

TEST_F(EngineThreadTest, ObjectSetterDuringARenderJobIsAppliedAtOnce) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    Start();
    engine.AddObject(ObjectPath("Box"));
    engine.Redraw();
    ASSERT_TRUE(engine.WaitForIdle(10s));
    Gate jobStarted, release;
    renderer->onJob = [&](const RenderJob&) {
        jobStarted.Open();
        release.Wait();
    };
    engine.RenderToFile(RenderJob{});
    ASSERT_TRUE(jobStarted.Wait());
    const auto t0 = std::chrono::steady_clock::now();
    engine.SetObjectTranslateX(0, 77);
    engine.SetObjectImage(0, 0, "*");
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(waited, 1s);  // the user interface did not wait for the job
    // The job draws its own copy of the scene: the engine's is free.
    EXPECT_FLOAT_EQ(engine.GetObject(0)->translate[0], 77.0f);
    EXPECT_EQ(engine.GetObject(0)->coverImages[0], "*");
    release.Open();
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_EQ(renderer->jobs.load(), 1);
}

// The render thread runs every job through the job runner and the output
// step, whatever draws it: here a renderer that only fills rows.
TEST_F(EngineThreadTest, RenderJobsGoThroughTheOutputStep) {
    Start();
    renderer->onPicture = [](const RenderJob& job, IPictureSink& sink) {
        std::vector<uint8_t> row(static_cast<std::size_t>(job.width) * 4);
        if (!sink.Begin(job.width, job.height, false, false)) return;
        for (int y = 0; y < job.height; ++y) {
            for (int x = 0; x < job.width; ++x) {
                row[4 * x] = static_cast<uint8_t>(x * 40);
                row[4 * x + 1] = static_cast<uint8_t>(y * 60);
                row[4 * x + 2] = 9;
                row[4 * x + 3] = 0;  // opaque background: taken as 255
            }
            sink.AddRows(row.data(), 0, y, 1);
        }
    };
    RenderJob job{dir.File("gradient.bmp"), 5, 3};
    job.format = FORMAT_BMP;
    bool written = false;
    job.finished = [&](bool ok) { written = ok; };
    RenderJob missing{dir.File("none.bmp"), 5, 3};  // the renderer hands over no rows
    missing.format = FORMAT_BMP;
    renderer->onJob = [&](const RenderJob& j) {
        if (j.fileName == missing.fileName) renderer->onPicture = nullptr;
    };
    engine.RenderToFile(job);
    engine.RenderToFile(missing);
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_TRUE(written);
    ImageCodec picture;
    ASSERT_TRUE(picture.Load(dir.File("gradient.bmp"), FORMAT_BMP));
    const imagecodec::ImageData& d = picture.Data();
    ASSERT_EQ(d.width, 5u);
    ASSERT_EQ(d.height, 3u);
    // Bottom row first, B, G, R: the top right pixel is (160, 0, 9).
    const uint8_t* topRight = &d.pixels[(2 * 5 + 4) * 3];
    EXPECT_EQ(topRight[2], 160);
    EXPECT_EQ(topRight[1], 0);
    EXPECT_EQ(topRight[0], 9);
    const std::vector<RenderJobResult> results = engine.TakeRenderResults();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0].outcome.failed);
    EXPECT_TRUE(results[1].outcome.failed);
    EXPECT_FALSE(results[1].outcome.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(missing.fileName));
}

TEST_F(EngineThreadTest, RenderJobsRunOneAfterAnotherAndNotify) {
    Start();
    renderer->jobMillis = 20;
    engine.RenderToFile(RenderJob{"a.png", 10, 10});
    engine.RenderToFile(RenderJob{"b.png", 10, 10});
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_EQ(renderer->jobs.load(), 2);
    int begins = 0, ends = 0;
    for (const auto& n : notes.Notifications()) {
        if (n.message == boxora::WM_ENGINE_BEGIN && n.wParam == boxora::ENGINE_OP_RENDER) ++begins;
        if (n.message == boxora::WM_ENGINE_END) ++ends;
    }
    EXPECT_EQ(begins, 2);
    EXPECT_EQ(ends, 2);
}

TEST_F(EngineThreadTest, ReleaseWhileBusyEndsBothThreads) {
    Start();
    renderer->frameMillis = 30;
    renderer->jobMillis = 200;
    engine.RenderToFile(RenderJob{});
    for (int i = 0; i < 5; ++i) engine.SetCameraZoom(static_cast<float>(i));
    // The scene thread requests a redraw of its own after deletions, maybe
    // while Release waits for it.
    for (int i = 0; i < 3; ++i) engine.QueueObjectDeletion(40 + i);
    engine.Redraw();
    std::this_thread::sleep_for(20ms);
    engine.QueueObjectDeletion(50);
    engine.Redraw();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(engine.Release());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
    EXPECT_FALSE(engine.ThreadsRunning());
    EXPECT_TRUE(renderer->contextsReleased.load());
    // Released twice is harmless; redraws do nothing now.
    EXPECT_TRUE(engine.Release());
    engine.Redraw();
    EXPECT_FALSE(engine.ThreadsRunning());
}

TEST_F(EngineThreadTest, LoadPendingKeepsAFullFrameGoing) {
    Start();
    // A newer request abandons a full frame ...
    engine.Params().RenderMode = RENDER_MODE_FULL;
    {
        std::lock_guard lock(engine.Lock());  // keeps the scene thread out
        engine.Redraw();
        EXPECT_EQ(engine.RedrawCounter(), 2);
        EXPECT_FALSE(engine.ContinueCondition(true));
        // ... unless a scene load is pending.
        engine.LoadScene(dir.File("none.scn"));
        EXPECT_TRUE(engine.LoadPending());
        EXPECT_TRUE(engine.ContinueCondition(true));
        EXPECT_TRUE(engine.ContinueCondition(false));
    }
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_FALSE(engine.LoadPending());
    engine.Params().RenderMode = RENDER_MODE_QUICK;
    EXPECT_TRUE(engine.ContinueCondition(true));
}

TEST_F(EngineThreadTest, FullFrameSeesNewerRequestsThroughTheCounter) {
    Start();
    std::atomic<int> abandoned{0};
    Gate inFull, requested;
    std::atomic<bool> armed{true};
    renderer->onFrame = [&](int mode) {
        if (mode != RENDER_MODE_FULL || !armed) return;
        armed = false;
        EXPECT_TRUE(engine.ContinueCondition(true));
        inFull.Open();
        requested.Wait();
        if (!engine.ContinueCondition(true)) ++abandoned;
    };
    engine.Redraw();
    ASSERT_TRUE(inFull.Wait());
    engine.SetCameraPerspective(5);
    requested.Open();
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_EQ(abandoned.load(), 1);
}

TEST_F(EngineThreadTest, PreviewSizeIsAppliedBeforeTheNextFrame) {
    Start();
    std::atomic<int> seenWidth{0}, seenHeight{0};
    renderer->onFrame = [&](int) {
        seenWidth = engine.Params().viewportWidth;
        seenHeight = engine.Params().viewportHeight;
    };
    engine.SetPreviewSize(320, 0);
    engine.Redraw();
    ASSERT_TRUE(engine.WaitForIdle(10s));
    EXPECT_EQ(seenWidth.load(), 320);
    EXPECT_EQ(seenHeight.load(), 1);
}

}  // namespace

namespace {

// The engine shows nothing itself: its messages and progress reach the
// reporter it was handed, and nothing reaches the program-wide notifier. A
// headless engine draws no preview frame, yet performs its jobs.
TEST_F(EngineThreadTest, MessagesAndProgressGoToTheReporterAndAHeadlessEngineDrawsNoFrame) {
    boxora::RecordingNotifier reporter;
    engine.SetReporter(&reporter);
    engine.SetHeadless();
    Start();
    engine.AddObject(dir.File("missing.3ds"));
    engine.Redraw();
    RenderJob job;
    job.fileName = dir.File("picture.png");
    job.width = job.height = 8;
    engine.RenderToFile(job);
    ASSERT_TRUE(engine.WaitForIdle(10s));

    EXPECT_EQ(renderer->quickFrames + renderer->fullFrames, 0);
    EXPECT_EQ(renderer->jobs, 1);
    const auto messages = reporter.Messages();
    // The model that could not be read, and what the job had to say (the
    // counting renderer leaves its picture unwritten).
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const auto& m) { return m.text.find("missing.3ds") != std::string::npos; }),
              1);
    int renderBegins = 0, ends = 0;
    for (const auto& n : reporter.Notifications()) {
        renderBegins += n.message == boxora::WM_ENGINE_BEGIN && n.wParam == boxora::ENGINE_OP_RENDER;
        ends += n.message == boxora::WM_ENGINE_END;
    }
    EXPECT_EQ(renderBegins, 1);
    EXPECT_EQ(ends, 2);  // the add and the job
    EXPECT_TRUE(notes.Messages().empty());
    EXPECT_TRUE(notes.Notifications().empty());
}

}  // namespace
