// The preview as the engine drives it: quick frames while changes keep
// coming and one full frame after them, images set on the user-interface
// thread, display lists kept until invalidated, full frames given up for a
// newer request, and the side order computed on the depth buffer.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "PreviewTestSupport.h"
#include "render/GlReleaseQueue.h"
#include "render/SideSlots.h"

namespace {

using namespace previewtest;

class PreviewEngineTest : public PreviewTest {};

// A sink that records each frame's mode and can hold the scene thread at a
// quick frame until the test has made its next change.
class GatedSink : public IFrameSink {
public:
    explicit GatedSink(const SceneParams& params) : params_(params) {}

    void OnPreviewFrame(const uint8_t*, int, int) override {
        const int mode = params_.RenderMode;
        std::unique_lock lock(mutex_);
        modes_.push_back(mode);
        if (mode == 0 && holding_) {
            frameShown_ = true;
            cv_.notify_all();
            cv_.wait(lock, [this] { return changeMade_ || !holding_; });
            changeMade_ = false;
        }
    }
    // Test thread: waits for the next quick frame to be shown.
    bool WaitForQuickFrame() {
        std::unique_lock lock(mutex_);
        const bool ok = cv_.wait_for(lock, 30s, [this] { return frameShown_; });
        frameShown_ = false;
        return ok;
    }
    // Test thread: lets the held frame go on after a change.
    void ChangeMade() {
        std::lock_guard lock(mutex_);
        changeMade_ = true;
        cv_.notify_all();
    }
    void Hold(bool on) {
        std::lock_guard lock(mutex_);
        holding_ = on;
        cv_.notify_all();
    }
    std::vector<int> Modes() const {
        std::lock_guard lock(mutex_);
        return modes_;
    }

private:
    const SceneParams& params_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<int> modes_;
    bool holding_ = false;
    bool frameShown_ = false;
    bool changeMade_ = false;
};

TEST_F(PreviewEngineTest, BurstShowsQuickFramesThenOneFullFrame) {
    GatedSink sink(engine.Params());
    Start(240, 180, &sink);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    const std::size_t before = sink.Modes().size();

    constexpr int kChanges = 12;
    sink.Hold(true);
    engine.SetCameraHorizontalRotation(1);
    for (int i = 2; i <= kChanges; ++i) {
        ASSERT_TRUE(sink.WaitForQuickFrame());
        engine.SetCameraHorizontalRotation(static_cast<float>(i) * 3);
        sink.ChangeMade();
    }
    ASSERT_TRUE(sink.WaitForQuickFrame());
    sink.Hold(false);
    ASSERT_TRUE(Idle());

    const std::vector<int> modes = sink.Modes();
    ASSERT_GT(modes.size(), before);
    const std::vector<int> burst(modes.begin() + static_cast<std::ptrdiff_t>(before), modes.end());
    int quick = 0, full = 0;
    for (int m : burst) (m == 0 ? quick : full)++;
    EXPECT_GE(quick, kChanges);
    EXPECT_EQ(full, 1);
    EXPECT_EQ(burst.back(), 1);  // the full frame comes last
}

TEST_F(PreviewEngineTest, ImageSetOnTheUserInterfaceThreadAppearsAfterTheNextTurn) {
    if (!BmpDecoderAvailable()) GTEST_SKIP() << "no BMP decoder linked";
    Start(240, 180);
    C3DObject* box = AddColouredBox();
    ASSERT_NE(box, nullptr);
    const auto front = [&] { return PixelAt(Frame(1), Project(*box, {0, 0, 15})); };
    ASSERT_TRUE(ShowsColour(front(), CoverColours()[0]));

    WriteSolidBmp(Texture("green.bmp"), {0, 255, 0});
    engine.SetObjectImage(box->id, COVER_FRONT, Texture("green.bmp"));
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(engine.Textures().PendingTextures().empty());
    EXPECT_TRUE(ShowsColour(front(), {0, 255, 0}));
    EXPECT_TRUE(ShowsColour(PixelAt(Frame(0), Project(*box, {0, 0, 15})), {0, 255, 0}));
}

TEST_F(PreviewEngineTest, ImageOnAFaceThatHadNoneGetsATextureOfItsOwn) {
    if (!BmpDecoderAvailable()) GTEST_SKIP() << "no BMP decoder linked";
    Start(240, 180);
    WriteSolidBmp(Texture("front.bmp"), {255, 0, 0});
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {"front.bmp", "", "", "", "", ""}));
    ASSERT_NE(box, nullptr);
    WriteSolidBmp(Texture("top.bmp"), {0, 0, 255});
    engine.SetObjectImage(box->id, COVER_TOP, Texture("top.bmp"));
    ASSERT_TRUE(Idle());
    const auto& names = engine.Models().TextureNames();
    int top = -1, frontIndex = -1;
    for (const tMaterialInfo& m : engine.Models().Model().materials) {
        if (m.coverFace == COVER_TOP) top = m.index;
        if (m.coverFace == COVER_FRONT) frontIndex = m.index;
    }
    ASSERT_GE(top, 0);
    EXPECT_NE(names[top], 0u);
    EXPECT_NE(names[top], names[frontIndex]);
    EXPECT_TRUE(ShowsColour(PixelAt(Frame(1), Project(*box, {0, 70, 0})), {0, 0, 255}));
    EXPECT_TRUE(ShowsColour(PixelAt(Frame(1), Project(*box, {0, 0, 15})), {255, 0, 0}));
}

TEST_F(PreviewEngineTest, SideListsAreRebuiltOnlyAfterInvalidation) {
    Start(240, 180);
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {}));
    ASSERT_NE(box, nullptr);
    Add("Panel", Panel("Panel", "Sign", 20, false));
    const boxora::SlotListCounters& counters = boxora::SideListCounters();

    // Frames replay the lists.
    long built = counters.built, replayed = counters.replayed;
    engine.SetCameraHorizontalRotation(20);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(counters.built, built);
    EXPECT_GT(counters.replayed, replayed);
    for (const CSide& side : engine.Sides().Sides()) {
        EXPECT_TRUE(side.listSlots[SLOT_PLAIN].built);
        EXPECT_TRUE(side.listSlots[SLOT_FADED_PLAIN].built);
        EXPECT_TRUE(side.listSlots[SLOT_SILHOUETTE].built);
    }

    // Moving the box rebuilds its six sides' lists (silhouette, plain,
    // faded plain), not the panel's.
    built = counters.built;
    engine.SetObjectTranslateX(box->id, 30);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(counters.built - built, 6 * 3);
    EXPECT_EQ(engine.ReleaseQueue().PendingLists(), 0u);

    // A reflection setting rebuilds every side's lists.
    built = counters.built;
    engine.SetReflectionLength(30);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(counters.built - built, 7 * 3);
}

// Calls Redraw once, from the scene thread, at the start of the first full
// frame it sees: that frame must be given up and not shown.
class InterruptingNotifier : public boxora::RecordingNotifier {
public:
    InterruptingNotifier(CEngine& engine) : engine_(engine) {}
    void EngineNotify(int message, int wParam) override {
        boxora::RecordingNotifier::EngineNotify(message, wParam);
        if (message != boxora::WM_ENGINE_PROGRESS || wParam != 3) return;
        if (engine_.Params().RenderMode != RENDER_MODE_FULL) return;
        ++fullFramesStarted;
        if (armed.exchange(false)) engine_.Redraw();
    }
    std::atomic<bool> armed{false};
    std::atomic<int> fullFramesStarted{0};

private:
    CEngine& engine_;
};

TEST_F(PreviewEngineTest, FullFrameInterruptedByANewerRequestIsNotShown) {
    InterruptingNotifier interrupting(engine);
    engine.SetReporter(&interrupting);
    Start(240, 180);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    const long fullShown = capture.Count(1);
    const int fullStarted = interrupting.fullFramesStarted;

    interrupting.armed = true;
    engine.SetCameraHorizontalRotation(45);
    ASSERT_TRUE(Idle());
    EXPECT_FALSE(interrupting.armed);
    EXPECT_EQ(interrupting.fullFramesStarted - fullStarted, 2);  // the one given up and the next
    EXPECT_EQ(capture.Count(1) - fullShown, 1);
    engine.SetReporter(&notes);
}

TEST_F(PreviewEngineTest, SidesAreOrderedFrontToBackOnTheDepthBuffer) {
    Start(240, 180);
    C3DObject* a = Add("A", Panel("A", "PaintA", 30, false, {200, 0, 0}));
    C3DObject* b = Add("B", Panel("B", "PaintB", 30, false, {0, 0, 200}));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    auto firstMaterial = [&](const std::vector<CSide*>& order) {
        EXPECT_EQ(order.size(), 2u);
        return order.empty() ? std::string() : engine.Models().Model().materials[order.front()->material].name;
    };
    // B in front of A (nearer the camera), then the other way round.
    engine.SetObjectTranslateZ(b->id, 60);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(firstMaterial(engine.Sides().DirectOrder()), "PaintB");
    EXPECT_EQ(firstMaterial(engine.Sides().MirroredOrder()), "PaintB");
    engine.SetObjectTranslateZ(b->id, -60);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(firstMaterial(engine.Sides().DirectOrder()), "PaintA");
    EXPECT_EQ(firstMaterial(engine.Sides().MirroredOrder()), "PaintA");
    // The preview's own viewport is back after the ordering's 256 x 256.
    EXPECT_EQ(engine.Params().viewportWidth, 240);
    EXPECT_EQ(engine.Params().viewportHeight, 180);
    EXPECT_EQ(engine.Sides().DepthWidth(), 240);
}

}  // namespace
