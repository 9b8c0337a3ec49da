#include "render/OsMesaContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "render/FrameSink.h"
#include "render/GlCapabilities.h"

using boxora::OsMesaContext;

namespace {

std::unique_ptr<OsMesaContext> MakeContext() {
    std::string error;
    auto context = OsMesaContext::Create(&error);
    EXPECT_TRUE(context) << error;
    return context;
}

void ClearTo(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

struct RecordingSink : IFrameSink {
    std::vector<uint8_t> pixels;
    int width = 0, height = 0, frames = 0;
    void OnPreviewFrame(const uint8_t* rgba, int w, int h) override {
        pixels.assign(rgba, rgba + static_cast<size_t>(w) * h * 4);
        width = w;
        height = h;
        ++frames;
    }
};

}  // namespace

TEST(OsMesaContext, OffersTheBuffersFramesNeed) {
    auto context = MakeContext();
    ASSERT_TRUE(context);
    EXPECT_FALSE(context->IsCurrent());  // Create leaves it current nowhere
    ASSERT_TRUE(context->MakeCurrent());
    EXPECT_TRUE(context->IsCurrent());
    const auto bits = boxora::QueryFramebufferBits();
    EXPECT_EQ(bits.alpha, 8);
    EXPECT_GE(bits.depth, 24);
    EXPECT_GE(bits.stencil, 8);
    EXPECT_GE(bits.accumRed, 16);
    EXPECT_GE(bits.accumAlpha, 16);
    EXPECT_EQ(boxora::MissingFramebufferFeatures(bits), "");
}

TEST(OsMesaContext, MissingFeaturesAreNamed) {
    boxora::FramebufferBits bits;
    bits.red = bits.green = bits.blue = bits.alpha = 8;
    bits.depth = 24;
    bits.stencil = 1;
    bits.accumRed = bits.accumGreen = bits.accumBlue = 16;
    bits.accumAlpha = 0;
    const std::string missing = boxora::MissingFramebufferFeatures(bits);
    EXPECT_NE(missing.find("stencil 1 bits (need 8)"), std::string::npos) << missing;
    EXPECT_NE(missing.find("accumulation alpha 0 bits"), std::string::npos) << missing;
    EXPECT_EQ(missing.find("depth"), std::string::npos) << missing;
}

TEST(OsMesaContext, ReadsBackBottomRowFirstAndPresentsTheSameFrame) {
    auto context = MakeContext();
    ASSERT_TRUE(context);
    ASSERT_TRUE(context->Resize(64, 32));
    EXPECT_EQ(context->Width(), 64);
    EXPECT_EQ(context->Height(), 32);
    glViewport(0, 0, 64, 32);
    ClearTo(0, 0, 1, 1);
    // Bottom row red, top row green.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 64, 1);
    ClearTo(1, 0, 0, 1);
    glScissor(0, 31, 64, 1);
    ClearTo(0, 1, 0, 0.5f);
    glDisable(GL_SCISSOR_TEST);

    std::vector<uint8_t> rgba;
    ASSERT_TRUE(context->ReadPixels(rgba));
    ASSERT_EQ(rgba.size(), 64u * 32 * 4);
    auto px = [&](const std::vector<uint8_t>& v, int x, int y) { return &v[(static_cast<size_t>(y) * 64 + x) * 4]; };
    EXPECT_EQ(px(rgba, 10, 0)[0], 255);
    EXPECT_EQ(px(rgba, 10, 0)[2], 0);
    EXPECT_EQ(px(rgba, 10, 31)[1], 255);
    EXPECT_NEAR(px(rgba, 10, 31)[3], 128, 1);
    EXPECT_EQ(px(rgba, 10, 15)[2], 255);

    RecordingSink sink;
    context->Present(sink);
    EXPECT_EQ(sink.frames, 1);
    EXPECT_EQ(sink.width, 64);
    EXPECT_EQ(sink.height, 32);
    EXPECT_EQ(sink.pixels, rgba);
    EXPECT_EQ(0, std::memcmp(context->Pixels(), rgba.data(), rgba.size()));
}

TEST(OsMesaContext, ResizeRefusesBadSizesAndKeepsTheSurface) {
    auto context = MakeContext();
    ASSERT_TRUE(context);
    ASSERT_TRUE(context->Resize(20, 10));
    EXPECT_FALSE(context->Resize(0, 10));
    EXPECT_FALSE(context->Resize(10, -1));
    EXPECT_FALSE(context->Resize(OsMesaContext::kMaxSide + 1, 10));
    EXPECT_EQ(context->Width(), 20);
    EXPECT_EQ(context->Height(), 10);
    EXPECT_TRUE(context->Resize(20, 10));  // same size: only made current
    EXPECT_TRUE(context->IsCurrent());
    ClearTo(0, 1, 0, 1);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(context->ReadPixels(rgba));
    EXPECT_EQ(rgba.size(), 20u * 10 * 4);
    EXPECT_EQ(rgba[1], 255);
}

TEST(OsMesaContext, LargestRenderSurfaceWorksAndShrinksBack) {
    auto context = MakeContext();
    ASSERT_TRUE(context);
    ASSERT_TRUE(context->Resize(3000, 3000));
    glViewport(0, 0, 3000, 3000);
    ClearTo(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_ACCUM_BUFFER_BIT);
    glAccum(GL_LOAD, 1.0f);
    glAccum(GL_RETURN, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    context->Finish();
    const uint8_t* last = context->Pixels() + (3000ull * 3000 - 1) * 4;
    EXPECT_NEAR(last[0], 51, 1);
    EXPECT_NEAR(last[2], 153, 1);

    ASSERT_TRUE(context->Resize(1, 1));
    glViewport(0, 0, 1, 1);
    ClearTo(1, 1, 0, 1);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(context->ReadPixels(rgba));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{255, 255, 0, 255}));
}

TEST(OsMesaContext, CreateLeavesTheCallersContextCurrent) {
    auto first = MakeContext();
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->Resize(8, 8));
    auto second = MakeContext();
    ASSERT_TRUE(second);
    EXPECT_TRUE(first->IsCurrent());
    EXPECT_FALSE(second->IsCurrent());
    ClearTo(1, 0, 1, 1);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(first->ReadPixels(rgba));
    EXPECT_EQ(rgba.size(), 8u * 8 * 4);
    EXPECT_FALSE(second->ReadPixels(rgba));  // not current here
}

TEST(OsMesaContext, TwoThreadsDrawIntoTheirOwnContextsAtOnce) {
    auto preview = MakeContext();
    auto offscreen = MakeContext();
    ASSERT_TRUE(preview && offscreen);
    std::vector<uint8_t> a, b;
    auto work = [](OsMesaContext* c, float red, std::vector<uint8_t>* out) {
        if (!c->Resize(200, 100)) return;
        for (int i = 0; i < 20; ++i) {
            glViewport(0, 0, 200, 100);
            glClearColor(red, 0.5f, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glFinish();
        }
        c->ReadPixels(*out);
        c->Release();
    };
    std::thread t1(work, preview.get(), 1.0f, &a);
    std::thread t2(work, offscreen.get(), 0.0f, &b);
    t1.join();
    t2.join();
    ASSERT_EQ(a.size(), 200u * 100 * 4);
    ASSERT_EQ(b.size(), 200u * 100 * 4);
    EXPECT_EQ(a[a.size() - 4], 255);
    EXPECT_EQ(b[b.size() - 4], 0);

    // Released on its thread, a context can be taken up by another one.
    ASSERT_TRUE(preview->MakeCurrent());
    EXPECT_EQ(preview->Width(), 200);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<uint8_t> c;
    ASSERT_TRUE(preview->ReadPixels(c));
    EXPECT_EQ(c[2], 255);
    preview->Release();
    EXPECT_FALSE(preview->IsCurrent());
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define BOXORA_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define BOXORA_UNDER_SANITIZER 1
#endif
#endif

// Run in a child process with a small address-space limit: a render surface
// that does not fit must be refused, and the context must go on working with
// its previous surface.
TEST(OsMesaContextDeathTest, SurfaceThatDoesNotFitIsRefused) {
#ifdef BOXORA_UNDER_SANITIZER
    GTEST_SKIP() << "address-space limits do not mix with sanitizer shadow memory";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto child = [] {
        auto context = OsMesaContext::Create();
        if (!context || !context->Resize(64, 64)) std::_Exit(10);
        glClear(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
        glAccum(GL_LOAD, 1.0f);
        glFinish();
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = static_cast<rlim_t>(pages) * 4096 + 60ull * 1024 * 1024;
        if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(11);
        if (context->Resize(3000, 3000)) std::_Exit(12);
        if (context->Width() != 64 || context->Height() != 64) std::_Exit(13);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
        glAccum(GL_LOAD, 1.0f);
        glAccum(GL_RETURN, 1.0f);
        std::vector<uint8_t> rgba;
        if (!context->ReadPixels(rgba) || rgba[1] != 255) std::_Exit(14);
        if (!context->Resize(500, 400)) std::_Exit(15);
        std::_Exit(0);
    };
    EXPECT_EXIT(child(), testing::ExitedWithCode(0), "");
#endif
}
