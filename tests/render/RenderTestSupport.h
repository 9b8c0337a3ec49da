#pragma once
// Render jobs in tests: a real engine renders to a file, the file is read
// back with the program's own decoders, and pixels are looked up where the
// camera of the job puts a point of the scene.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "PreviewTestSupport.h"
#include "image/ImageCodec.h"
#include "render/GlFrameRenderer.h"
#include "render/ShadowManager.h"

namespace rendertest {

using namespace previewtest;
using Rgba = std::array<int, 4>;

// A decoded picture: R, G, B, A of the pixel at (x, y) from the lower left
// corner (alpha 255 when the file has none).
class Picture {
public:
    bool Load(const std::string& path, int format) {
        ok_ = image_.Load(path, format);
        return ok_;
    }
    int Width() const { return static_cast<int>(image_.GetWidth()); }
    int Height() const { return static_cast<int>(image_.GetHeight()); }
    bool HasAlpha() const { return image_.HasAlpha(); }
    int Bpp() const { return image_.GetBpp(); }
    Rgba At(int x, int y) const {
        x = std::clamp(x, 0, Width() - 1);
        y = std::clamp(y, 0, Height() - 1);
        const auto& d = image_.Data();
        const std::size_t i = static_cast<std::size_t>(y) * d.width + static_cast<std::size_t>(x);
        Rgba p{0, 0, 0, 255};
        if (d.bpp == 24) {
            p = {d.pixels[i * 3 + 2], d.pixels[i * 3 + 1], d.pixels[i * 3], 255};
        } else {
            // Palette images: one index per pixel.
            const std::size_t at = static_cast<std::size_t>(d.pixels[i]) * 4;
            if (at + 2 < d.palette.size()) p = {d.palette[at + 2], d.palette[at + 1], d.palette[at], 255};
        }
        if (!d.alpha.empty()) p[3] = d.alpha[i];
        return p;
    }
    Rgba At(const std::array<double, 3>& window) const {
        return At(static_cast<int>(std::floor(window[0])), static_cast<int>(std::floor(window[1])));
    }
    const ImageCodec& Image() const { return image_; }

private:
    ImageCodec image_;
    bool ok_ = false;
};

constexpr Rgba kWhitePixel{255, 255, 255, 255};
constexpr Rgb kRed{255, 0, 0};

// Whether R, G and B differ by at most tolerance: a grey.
inline bool IsNeutral(const Rgba& p, int tolerance = 3) {
    return std::abs(p[0] - p[1]) <= tolerance && std::abs(p[1] - p[2]) <= tolerance;
}

inline int Distance(const Rgba& a, const Rgba& b) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(a[c] - b[c]));
    return d;
}

inline std::string Show(const Rgba& p) {
    return "(" + std::to_string(p[0]) + ", " + std::to_string(p[1]) + ", " + std::to_string(p[2]) + ", " +
           std::to_string(p[3]) + ")";
}

class RenderTest : public PreviewTest {
protected:
    // Renders the scene at w × h into file and reads it back; the camera of
    // Project() becomes the job's. The shadow's random spread is seeded, so
    // the same scene gives the same picture.
    bool Render(const std::string& name, int w, int h, int format, Picture& picture, RenderJob job = {}) {
        job.fileName = dir.File(name);
        job.width = w;
        job.height = h;
        job.format = format;
        if (!job.seed) job.seed = 1;
        engine.RenderToFile(job);
        if (!Idle()) return false;
        width = w;
        height = h;
        return picture.Load(job.fileName, format);
    }

    // Window position of a world point (drawing axes: y up from the floor).
    std::array<double, 3> ProjectWorld(std::array<double, 3> p) {
        const boxora::CameraSetup camera = boxora::ComputeCamera(engine.Params(), width, height);
        std::array<double, 3> window{};
        boxora::ProjectToWindow({p[0], p[1], p[2], 1}, boxora::SceneModelview(camera), boxora::ProjectionMatrix(camera),
                                {0, 0, width, height}, window);
        return window;
    }

    GlFrameRenderer& Renderer() { return dynamic_cast<GlFrameRenderer&>(engine.Renderer()); }

    // A box of solid colours on the floor (see TestBox) with the given
    // half extents; none of the extras (reflection, shadow) switched off.
    C3DObject* AddSolidBox(const std::string& name, double hx, double hy, double hz, Rgb colour) {
        model3ds::Model box = TestBox(hx, hy, hz, {});
        for (auto& m : box.materials) m.diffuse = colour;
        box.meshes[0].name = name;
        return Add(name, box);
    }
};

// The material of a test panel with a transparency or mirror level (0..255).
inline model3ds::Model LevelPanel(const std::string& name, const std::string& material, double h, Rgb colour,
                                  uint8_t transparency, uint8_t mirror) {
    model3ds::Model panel = Panel(name, material, h, false, colour);
    panel.materials[0].specular = {0, transparency, mirror};
    panel.materials[0].writeSpecular = true;
    return panel;
}

}  // namespace rendertest
