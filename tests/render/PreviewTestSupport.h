#pragma once
// Live previews drawn by a real engine in tests: a program folder of their
// own, a package model with known geometry and solid-colour cover images,
// the frames the scene thread hands over, and where the camera puts a point
// of the scene.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/PreviewSnapshot.h"
#include "image/CodecRegistry.h"
#include "model/MirrorMath.h"
#include "platform/Notifier.h"
#include "render/CameraMath.h"
#include "tests/support/TestSupport.h"
#include "tools/model3ds/MeshBuilder.h"

namespace previewtest {

using Rgb = std::array<uint8_t, 3>;
using namespace std::chrono_literals;

// A 24-bit BMP; pixel(x, y) gives the colour with y = 0 the TOP row.
inline void WriteBmp(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& pixel) {
    const int row = (width * 3 + 3) & ~3;
    const uint32_t size = 54 + static_cast<uint32_t>(row) * height;
    std::string b(size, '\0');
    auto put32 = [&b](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    put32(34, static_cast<uint32_t>(row) * height);
    for (int y = 0; y < height; ++y)  // stored bottom row first
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, height - 1 - y);
            const std::size_t at = 54 + static_cast<std::size_t>(y) * row + x * 3;
            b[at] = static_cast<char>(c[2]);
            b[at + 1] = static_cast<char>(c[1]);
            b[at + 2] = static_cast<char>(c[0]);
        }
    testsupport::WriteFileBytes(path, b);
}

inline void WriteSolidBmp(const std::string& path, Rgb colour) {
    WriteBmp(path, 8, 8, [colour](int, int) { return colour; });
}

inline bool BmpDecoderAvailable() {
    const imagecodec::CodecEntry* codec = imagecodec::FindCodec(FORMAT_BMP);
    return codec != nullptr && codec->decode != nullptr;
}

// The cover colours of the test box, Front .. Bottom.
inline const std::array<Rgb, 6>& CoverColours() {
    static const std::array<Rgb, 6> colours{
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};
    return colours;
}
inline const char* CoverName(int face) {
    static const char* names[6] = {"Front", "Back", "Left", "Right", "Top", "Bottom"};
    return names[face];
}

// A box centred on the origin (the reader's lift sets it on the floor):
// half extents hx (x), hy (y, the front faces -y) and hz (z, up); each cover
// face with the image textures[face] laid upright (empty: untextured, in
// the grey kBoxGrey, which the lights never brighten to white).
constexpr uint8_t kBoxGrey = 120;
inline model3ds::Model TestBox(double hx, double hy, double hz, const std::array<std::string, 6>& textures) {
    using model3ds::Vec3;
    model3ds::MeshBuilder b("Box");
    b.Rect("Front", {-hx, -hy, -hz}, {2 * hx, 0, 0}, {0, 0, 2 * hz});
    b.Rect("Back", {hx, hy, -hz}, {-2 * hx, 0, 0}, {0, 0, 2 * hz});
    b.Rect("Left", {-hx, hy, -hz}, {0, -2 * hy, 0}, {0, 0, 2 * hz});
    b.Rect("Right", {hx, -hy, -hz}, {0, 2 * hy, 0}, {0, 0, 2 * hz});
    b.Rect("Top", {-hx, -hy, hz}, {2 * hx, 0, 0}, {0, 2 * hy, 0});
    b.Rect("Bottom", {-hx, hy, -hz}, {2 * hx, 0, 0}, {0, -2 * hy, 0});
    model3ds::Model model;
    for (int k = 0; k < 6; ++k) {
        model3ds::Material m;
        m.name = CoverName(k);
        m.diffuse = {kBoxGrey, kBoxGrey, kBoxGrey};
        m.textureFile = textures[k];
        model.materials.push_back(m);
    }
    model3ds::Mesh mesh;
    EXPECT_TRUE(b.Finish(mesh));
    model.meshes.push_back(mesh);
    return model;
}

// One upright rectangle of one material in the plane y = 0 (file axes),
// x from -h to h and z from -h to h; facing -y (the camera at rotation 0)
// unless facingAway.
inline model3ds::Model Panel(const std::string& name, const std::string& material, double h, bool facingAway,
                             std::array<uint8_t, 3> colour = {255, 255, 255}) {
    model3ds::MeshBuilder b(name);
    if (facingAway)
        b.Rect(material, {h, 0, -h}, {-2 * h, 0, 0}, {0, 0, 2 * h});
    else
        b.Rect(material, {-h, 0, -h}, {2 * h, 0, 0}, {0, 0, 2 * h});
    model3ds::Model model;
    model3ds::Material m;
    m.name = material;
    m.diffuse = colour;
    model.materials.push_back(m);
    model3ds::Mesh mesh;
    EXPECT_TRUE(b.Finish(mesh));
    model.meshes.push_back(mesh);
    return model;
}

// An engine with the OpenGL renderer, whose preview frames are kept.
class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("BOXORA_HOME")) oldHome_ = old;
        setenv("BOXORA_HOME", dir.Path().c_str(), 1);
        std::filesystem::create_directories(dir.Path() / "data" / "Objects");
        std::filesystem::create_directories(dir.Path() / "data" / "texture");
        boxora::SetNotifier(&notes);
        engine.SetReporter(&notes);
    }
    void TearDown() override {
        engine.Release();
        boxora::SetNotifier(nullptr);
        if (oldHome_.empty())
            unsetenv("BOXORA_HOME");
        else
            setenv("BOXORA_HOME", oldHome_.c_str(), 1);
    }

    // Creates the contexts and starts the threads with a preview of w × h.
    void Start(int w, int h, IFrameSink* sink = nullptr) {
        width = w;
        height = h;
        ASSERT_TRUE(engine.Initialize(sink ? sink : &capture));
        engine.SetPreviewSize(w, h);
        engine.Redraw();
        ASSERT_TRUE(Idle());
    }
    bool Idle() { return engine.WaitForIdle(60s); }

    std::string Texture(const std::string& name) const { return (dir.Path() / "data" / "texture" / name).string(); }
    std::string Model(const std::string& name) const {
        return (dir.Path() / "data" / "Objects" / (name + ".3ds")).string();
    }
    // Writes the model and adds it to the scene; returns its object.
    C3DObject* Add(const std::string& name, const model3ds::Model& model) {
        model3ds::WriteFile(model, Model(name));
        engine.AddObject(Model(name));
        engine.Redraw();
        EXPECT_TRUE(Idle());
        const auto& objects = engine.Models().Model().objects;
        return objects.empty() ? nullptr : objects.back().get();
    }
    // The test box with six solid-colour cover images.
    C3DObject* AddColouredBox(double hx = 50, double hy = 15, double hz = 70) {
        std::array<std::string, 6> textures;
        for (int k = 0; k < 6; ++k) {
            textures[k] = std::string(CoverName(k)) + ".bmp";
            WriteSolidBmp(Texture(textures[k]), CoverColours()[k]);
        }
        return Add("Box", TestBox(hx, hy, hz, textures));
    }

    boxora::PreviewFrame Frame(int mode = 1) const { return capture.Last(mode); }

    // Window position (pixels from the lower left) of a point given in the
    // object's drawing axes, as the current camera shows it.
    std::array<double, 3> Project(const C3DObject& object, std::array<double, 3> p) {
        const boxora::CameraSetup camera = boxora::ComputeCamera(engine.Params(), width, height);
        const glm::dmat4 modelview = boxora::SceneModelview(camera) * ObjectTransformMatrix(object);
        std::array<double, 3> window{};
        boxora::ProjectToWindow({p[0], p[1], p[2], 1}, modelview, boxora::ProjectionMatrix(camera),
                                {0, 0, width, height}, window);
        return window;
    }
    std::array<uint8_t, 4> PixelAt(const boxora::PreviewFrame& f, const std::array<double, 3>& window) const {
        const int x = std::clamp(static_cast<int>(window[0]), 0, f.width - 1);
        const int y = std::clamp(static_cast<int>(window[1]), 0, f.height - 1);
        return f.At(x, y);
    }

    testsupport::TempDir dir;
    boxora::RecordingNotifier notes;
    CEngine engine;
    boxora::FrameCapture capture{engine.Params()};
    int width = 0;
    int height = 0;

private:
    std::string oldHome_;
};

// The hue of a lit, textured pixel: which of R, G, B are clearly on (the
// others exactly 0 for the solid primary and secondary colours above).
inline bool ShowsColour(const std::array<uint8_t, 4>& pixel, Rgb colour) {
    for (int c = 0; c < 3; ++c) {
        if (colour[c] == 0 && pixel[c] != 0) return false;
        if (colour[c] != 0 && pixel[c] < 40) return false;
    }
    return true;
}

}  // namespace previewtest
