// The job runner and the output step with a renderer that is not OpenGL:
// what a renderer hands over is what the written file decodes to, in every
// way a renderer may hand it (whole, in bands, rows stored bottom up), and
// a job that fails keeps the previous file.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "image/ImageCodec.h"
#include "image/ImageFormat.h"
#include "image/PngBlockWriter.h"
#include "output/JobRunner.h"
#include "output/PictureOutput.h"
#include "tests/support/TestSupport.h"

namespace {

// R, G, B, A, top row first: gradients, a hard edge and (transparent) an
// alpha ramp, so that swapped channels, turned rows or lost alpha show.
std::vector<uint8_t> Gradient(int w, int h, bool transparent) {
    std::vector<uint8_t> px(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>(x * 255 / std::max(w - 1, 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(h - 1, 1));
            p[2] = x < w / 3 ? 200 : 30;
            p[3] = transparent ? static_cast<uint8_t>((x + y) * 255 / std::max(w + h - 2, 1)) : 17;
        }
    return px;
}

// Draws a gradient: in one piece or in bands, rows handed top down or (as
// OpenGL reads them) stored bottom up; may stop early or fail.
class GradientRenderer final : public IPictureRenderer {
public:
    bool transparent = false;
    int bandRows = 0;        // 0: one piece
    bool bottomUp = false;   // rows stored bottom up in each delivery
    int stopAfterRows = -1;  // hands this many rows, then ends as if complete
    bool fail = false;       // ends as a given-up job
    int jobs = 0;

    boxora::Outcome RenderPicture(const RenderJob& job, IPictureSink& sink) override {
        ++jobs;
        if (fail) {
            boxora::Outcome o;
            o.failed = true;
            return o;
        }
        const int w = job.width, h = job.height;
        const std::vector<uint8_t> px = Gradient(w, h, transparent);
        if (!sink.Begin(w, h, transparent, bandRows > 0)) return {};
        const int step = bandRows > 0 ? bandRows : h;
        const auto row = static_cast<std::ptrdiff_t>(w) * 4;
        for (int first = 0; first < h; first += step) {
            const int count = std::min(step, h - first);
            if (stopAfterRows >= 0 && first + count > stopAfterRows) return {};
            std::vector<uint8_t> band(px.begin() + first * row, px.begin() + (first + count) * row);
            if (bottomUp) {
                // Stored bottom up, as read back from OpenGL.
                for (int r = 0; r < count; ++r)
                    std::memcpy(&band[(count - 1 - r) * row], &px[(first + r) * row], static_cast<std::size_t>(row));
                if (!sink.AddRows(band.data() + (count - 1) * row, -row, first, count)) return {};
            } else if (!sink.AddRows(band.data(), row, first, count)) {
                return {};
            }
        }
        return {};
    }
};

RenderJob Job(const std::string& file, int format, int w, int h) {
    RenderJob job;
    job.fileName = file;
    job.format = format;
    job.width = w;
    job.height = h;
    return job;
}

// The file decoded as R, G, B, A, top row first (alpha 255 where it has none).
std::vector<uint8_t> Decoded(const std::string& file, int format, int* w = nullptr, int* h = nullptr) {
    ImageCodec image;
    if (!image.Load(file, format)) return {};
    const imagecodec::ImageData& d = image.Data();
    if (d.bpp != 24) return {};
    if (w) *w = static_cast<int>(d.width);
    if (h) *h = static_cast<int>(d.height);
    std::vector<uint8_t> px(static_cast<std::size_t>(d.width) * d.height * 4);
    for (uint32_t y = 0; y < d.height; ++y)
        for (uint32_t x = 0; x < d.width; ++x) {
            const std::size_t stored = static_cast<std::size_t>(d.height - 1 - y) * d.width + x;
            uint8_t* p = &px[(static_cast<std::size_t>(y) * d.width + x) * 4];
            p[0] = d.pixels[stored * 3 + 2];
            p[1] = d.pixels[stored * 3 + 1];
            p[2] = d.pixels[stored * 3 + 0];
            p[3] = d.alpha.empty() ? 255 : d.alpha[stored];
        }
    return px;
}

std::vector<uint8_t> Opaque(std::vector<uint8_t> px) {
    for (std::size_t i = 3; i < px.size(); i += 4) px[i] = 255;
    return px;
}

int MaxDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 256;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

boxora::RenderJobRun RunJob(IPictureRenderer& renderer, const RenderJob& job) {
    return boxora::RunRenderJob(renderer, job, {});
}

}  // namespace

TEST(OutputStep, WrittenFilesDecodeToTheRenderersPixels) {
    testsupport::TempDir dir;
    struct Case {
        int format;
        const char* ext;
        bool transparent;
        int bandRows;
        bool bottomUp;
        int interlace;
        int tolerance;  // lossy formats
    };
    const Case cases[] = {
        {FORMAT_PNG, "png", true, 0, true, 0, 0},   {FORMAT_PNG, "png", false, 0, false, 0, 0},
        {FORMAT_PNG, "png", true, 7, true, 0, 0},   {FORMAT_PNG, "png", false, 9, false, 1, 0},
        {FORMAT_PNG, "png", true, 0, true, 1, 0},   {FORMAT_TIF, "tif", true, 0, true, 0, 0},
        {FORMAT_TIF, "tif", true, 8, true, 0, 0},   {FORMAT_BMP, "bmp", false, 5, false, 0, 0},
        {FORMAT_JPG, "jpg", false, 0, true, 0, 12}, {FORMAT_JPG, "jpg", true, 16, true, 0, 12},
        {FORMAT_TGA, "tga", true, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ext) + " transparent " + std::to_string(c.transparent) + " bands " +
                     std::to_string(c.bandRows) + " interlace " + std::to_string(c.interlace));
        GradientRenderer renderer;
        renderer.transparent = c.transparent;
        renderer.bandRows = c.bandRows;
        renderer.bottomUp = c.bottomUp;
        const std::string file = dir.File(std::string("out.") + c.ext);
        RenderJob job = Job(file, c.format, 61, 43);
        job.pngInterlace = c.interlace;
        ASSERT_FALSE(RunJob(renderer, job).outcome.failed);
        int w = 0, h = 0;
        const std::vector<uint8_t> got = Decoded(file, c.format, &w, &h);
        ASSERT_EQ(w, 61);
        ASSERT_EQ(h, 43);
        std::vector<uint8_t> want = Gradient(61, 43, c.transparent);
        // Alpha survives only where the format holds it and the background is transparent.
        if (!c.transparent || c.format == FORMAT_JPG || c.format == FORMAT_BMP) want = Opaque(want);
        EXPECT_LE(MaxDiff(got, want), c.tolerance);
    }
}

TEST(OutputStep, PictureSinkGetsTheRowsTopDownAndOpaqueUnlessTransparent) {
    for (const bool transparent : {false, true}) {
        GradientRenderer renderer;
        renderer.transparent = transparent;
        renderer.bandRows = 4;
        renderer.bottomUp = true;
        std::vector<uint8_t> got;
        int calls = 0;
        RenderJob job = Job("frame", FORMAT_PNG, 9, 11);
        job.pictureSink = [&](const uint8_t* rgba, int w, int h) {
            ++calls;
            if (rgba) got.assign(rgba, rgba + static_cast<std::size_t>(w) * h * 4);
        };
        ASSERT_FALSE(RunJob(renderer, job).outcome.failed);
        EXPECT_EQ(calls, 1);
        const std::vector<uint8_t> want = Gradient(9, 11, transparent);
        EXPECT_EQ(got, transparent ? want : Opaque(want));
    }
    // A job that draws nothing tells its sink so, once.
    GradientRenderer failing;
    failing.fail = true;
    int nulls = 0;
    RenderJob job = Job("frame", FORMAT_PNG, 9, 11);
    job.pictureSink = [&](const uint8_t* rgba, int, int) { nulls += rgba == nullptr; };
    EXPECT_TRUE(RunJob(failing, job).outcome.failed);
    EXPECT_EQ(nulls, 1);
}

TEST(OutputStep, AFailedJobKeepsThePreviousFile) {
    testsupport::TempDir dir;
    for (const int format : {FORMAT_PNG, FORMAT_JPG, FORMAT_TIF, FORMAT_BMP}) {
        SCOPED_TRACE(format);
        const std::string file = dir.File("keep." + std::to_string(format));
        testsupport::WriteFileBytes(file, "previous picture");
        int written = 0;
        boxora::JobOutputTarget target;
        target.written = [&](const std::string&) { ++written; };

        GradientRenderer cut;  // stops halfway through
        cut.bandRows = 8;
        cut.stopAfterRows = 20;
        const boxora::RenderJobRun run = boxora::RunRenderJob(cut, Job(file, format, 40, 40), target);
        EXPECT_TRUE(run.outcome.failed);
        EXPECT_FALSE(run.outcome.messages.empty());  // the user hears the picture was not saved

        GradientRenderer givenUp;
        givenUp.fail = true;
        EXPECT_TRUE(boxora::RunRenderJob(givenUp, Job(file, format, 40, 40), target).outcome.failed);
        EXPECT_EQ(testsupport::ReadFileBytes(file), "previous picture");
        EXPECT_EQ(written, 0);
    }
    // A name the picture cannot be written under: nothing is left beside it.
    GradientRenderer renderer;
    const std::string inFile = dir.File("keep.4") + "/sub.png";
    EXPECT_TRUE(RunJob(renderer, Job(inFile, FORMAT_PNG, 5, 5)).outcome.failed);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("keep.4")), "previous picture");
}

TEST(OutputStep, TheJobRunnerAsksForTheNameAtTheEndAndReportsIt) {
    testsupport::TempDir dir;
    GradientRenderer renderer;
    std::vector<float> progress;
    std::string written;
    boxora::JobOutputTarget target;
    // A template renamed while its picture was drawn.
    target.outputName = [&](const std::string&) { return dir.File("renamed.png"); };
    target.written = [&](const std::string& name) { written = name; };
    target.progress = [&](float p) { progress.push_back(p); };
    ASSERT_FALSE(boxora::RunRenderJob(renderer, Job(dir.File("asked.png"), FORMAT_PNG, 8, 8), target).outcome.failed);
    EXPECT_EQ(written, dir.File("renamed.png"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("asked.png")));
    EXPECT_EQ(Decoded(written, FORMAT_PNG), Opaque(Gradient(8, 8, false)));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100.0f);
}

// Pieces deflated apart join into one stream that decodes to the same
// pixels, for sizes around the piece boundaries and with any thread count.
TEST(PngBlockWriter, DecodesToTheSamePixelsAtAwkwardSizes) {
    std::mt19937 random(7);
    struct Size {
        uint32_t w, h;
    };
    // 1 × 1; odd widths; one row; many pieces of noise (1 MiB of raw bytes
    // a piece) with a last piece of a single row.
    const Size sizes[] = {{1, 1}, {3, 7}, {333, 5}, {1, 999}, {2001, 1}, {1001, 263}, {700, 1125}};
    for (const Size s : sizes)
        for (const bool alpha : {false, true})
            for (const int threads : {1, 3}) {
                SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h) + " alpha " + std::to_string(alpha) +
                             " threads " + std::to_string(threads));
                std::vector<uint8_t> px(static_cast<std::size_t>(s.w) * s.h * 4);
                // Noise in the lower half, smooth above: both kinds of filter choice.
                for (std::size_t i = 0; i < px.size(); ++i)
                    px[i] = i < px.size() / 2 ? static_cast<uint8_t>(i * 7 / 5) : static_cast<uint8_t>(random());
                imagecodec::PngBlockSettings settings;
                settings.width = s.w;
                settings.height = s.h;
                settings.alpha = alpha;
                settings.threads = threads;
                settings.dpi = 300;
                std::string why;
                auto writer = imagecodec::PngBlockWriter::Create(settings, &why);
                ASSERT_TRUE(writer) << why;
                // Rows in uneven deliveries, the last ones bottom up.
                const auto row = static_cast<std::ptrdiff_t>(s.w) * 4;
                uint32_t done = 0;
                for (uint32_t n = 1; done < s.h; n = n * 3 + 1) {
                    const uint32_t count = std::min(n, s.h - done);
                    if (done + count == s.h) {
                        std::vector<uint8_t> flipped(static_cast<std::size_t>(count) * row);
                        for (uint32_t r = 0; r < count; ++r)
                            std::memcpy(&flipped[(count - 1 - r) * row], &px[(done + r) * row],
                                        static_cast<std::size_t>(row));
                        ASSERT_TRUE(writer->WriteRows(flipped.data() + (count - 1) * row, -row, count));
                    } else {
                        ASSERT_TRUE(writer->WriteRows(px.data() + done * row, row, count));
                    }
                    done += count;
                }
                std::vector<uint8_t> file;
                ASSERT_TRUE(writer->Finish(file)) << writer->Error();
                ImageCodec image;
                ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size(), FORMAT_PNG));
                const imagecodec::ImageData& d = image.Data();
                ASSERT_EQ(d.width, s.w);
                ASSERT_EQ(d.height, s.h);
                ASSERT_EQ(d.alpha.empty(), !alpha);
                std::size_t wrong = 0;
                for (uint32_t y = 0; y < s.h; ++y)
                    for (uint32_t x = 0; x < s.w; ++x) {
                        const std::size_t stored = static_cast<std::size_t>(s.h - 1 - y) * s.w + x;
                        const uint8_t* p = &px[(static_cast<std::size_t>(y) * s.w + x) * 4];
                        wrong += d.pixels[stored * 3 + 2] != p[0] || d.pixels[stored * 3 + 1] != p[1] ||
                                 d.pixels[stored * 3 + 0] != p[2] || (alpha && d.alpha[stored] != p[3]);
                    }
                EXPECT_EQ(wrong, 0u);
                // The resolution: 300 dpi is 11811 pixels per metre.
                const uint8_t phys[] = {'p', 'H', 'Y', 's', 0, 0, 0x2e, 0x23, 0, 0, 0x2e, 0x23, 1};
                EXPECT_NE(std::search(file.begin(), file.end(), phys, phys + sizeof phys), file.end());
            }
    // Too many rows, or too few, are refused.
    imagecodec::PngBlockSettings settings;
    settings.width = 4;
    settings.height = 2;
    auto writer = imagecodec::PngBlockWriter::Create(settings, nullptr);
    std::vector<uint8_t> rows(4 * 4 * 3);
    EXPECT_FALSE(writer->WriteRows(rows.data(), 16, 3));
    writer = imagecodec::PngBlockWriter::Create(settings, nullptr);
    ASSERT_TRUE(writer->WriteRows(rows.data(), 16, 1));
    std::vector<uint8_t> file;
    EXPECT_FALSE(writer->Finish(file));
    settings.width = 0;
    EXPECT_EQ(imagecodec::PngBlockWriter::Create(settings, nullptr), nullptr);
}
