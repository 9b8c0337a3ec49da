#include "render/TiledRender.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>

#include "image/ImageCodec.h"
#include "image/StreamingWriter.h"
#include "render/JobEncoding.h"
#include "render/CameraGl.h"
#include "render/GlFrameRenderer.h"
#include "render/OsMesaContext.h"
#include "render/RenderHost.h"
#include "render/RenderJob.h"
#include "render/RenderJobScene.h"
#include "render/RenderJobSteps.h"
#include "render/SceneFrame.h"
#include "render/ShadowManager.h"
#include "render/TextureUpload.h"
#include "render/TileWindow.h"

namespace boxora {

int ChooseTileSide(int width, int height, int forced) {
    const int longest = std::max(width, height);
    if (forced > 0) {
        const int side = std::max(forced, kMinTileSide);
        return side >= longest ? 0 : std::min(side, OsMesaContext::kMaxSide);
    }
    return longest <= kOnePieceMaxSide ? 0 : kDefaultTileSide;
}

std::vector<TileSpan> SplitEvenly(int extent, int side) {
    std::vector<TileSpan> spans;
    if (extent <= 0 || side <= 0) return spans;
    const int count = (extent + side - 1) / side;
    const int base = extent / count, longer = extent % count;
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const int size = base + (i < longer ? 1 : 0);
        spans.push_back({start, size});
        start += size;
    }
    return spans;
}

namespace {

// Where the rows of the finished bands go: an encoder that takes them as
// they come, or (formats that need the whole picture) one picture
// assembled in the image layer's own layout.
class BandOutput {
public:
    BandOutput(const RenderJob& job, bool keepAlpha) : job_(job), keepAlpha_(keepAlpha) {
        options_.jpegQuality = std::clamp(job.jpegQuality, 0, 100);
        options_.jpegOptions = job.jpegOptions;
        options_.gifCompression = job.gifCompression;
        options_.tiffCompression = job.tiffCompression;
        options_.pngInterlace = job.pngInterlace;
        options_.dpi = std::max(job.dpi, 0);
    }

    bool Start(std::string* why) {
        const auto w = static_cast<uint32_t>(job_.width), h = static_cast<uint32_t>(job_.height);
        if (imagecodec::StreamingWriter::Streams(job_.format, options_)) {
            stream_ = imagecodec::StreamingWriter::Create(job_.format, options_, w, h, keepAlpha_, why);
            return stream_ != nullptr;
        }
        if (!imagecodec::SizeAllowed(w, h)) {
            if (why) *why = "too large for this format; PNG, JPEG and TIFF take any size";
            return false;
        }
        try {
            if (!whole_.MutableData().Allocate(w, h, 24, true)) return false;
        } catch (const std::bad_alloc&) {
            if (why) *why = "not enough memory";
            return false;
        }
        return true;
    }

    // A band of rows as read back: R, G, B, A, bottom row first, the
    // picture's width; its bottom row is picture row y (from the bottom).
    bool AddBand(std::vector<uint8_t>& rgba, int y, int rows) {
        const std::size_t rowBytes = static_cast<std::size_t>(job_.width) * 4;
        for (int r = 0; r < rows; ++r) {
            uint8_t* p = rgba.data() + static_cast<std::size_t>(r) * rowBytes;
            for (std::size_t i = 0; i < rowBytes; i += 4) {
                std::swap(p[i], p[i + 2]);
                if (!keepAlpha_) p[i + 3] = 255;
            }
        }
        if (stream_) {
            for (int r = rows - 1; r >= 0; --r)
                if (!stream_->WriteRows(rgba.data() + static_cast<std::size_t>(r) * rowBytes, 1)) return false;
            return true;
        }
        imagecodec::ImageData& data = whole_.MutableData();
        for (int r = 0; r < rows; ++r) {
            const uint8_t* src = rgba.data() + static_cast<std::size_t>(r) * rowBytes;
            const std::size_t row = static_cast<std::size_t>(y + r) * static_cast<std::size_t>(job_.width);
            uint8_t* bgr = data.pixels.data() + row * 3;
            uint8_t* alpha = data.alpha.data() + row;
            for (int x = 0; x < job_.width; ++x) {
                std::memcpy(bgr + 3 * x, src + 4 * x, 3);
                alpha[x] = src[4 * x + 3];
            }
        }
        return true;
    }

    bool Finish(const std::string& path) {
        if (stream_) return stream_->Finish(path);
        boxora::ApplyJobExportOptions(whole_, job_);
        return whole_.Save(path, job_.format);
    }

private:
    const RenderJob& job_;
    bool keepAlpha_;
    imagecodec::EncodeOptions options_;
    std::unique_ptr<imagecodec::StreamingWriter> stream_;
    ImageCodec whole_;
};

// The largest size of the picture's shape that fits the surface, for the
// one frame drawn of the whole picture (it finds the side order).
std::pair<int, int> FitShape(int width, int height, int surfaceWidth, int surfaceHeight) {
    const double scale = std::min({1.0, static_cast<double>(surfaceWidth) / width,
                                   static_cast<double>(surfaceHeight) / height});
    return {std::clamp(static_cast<int>(width * scale + 0.5), 1, surfaceWidth),
            std::clamp(static_cast<int>(height * scale + 0.5), 1, surfaceHeight)};
}

}  // namespace

}  // namespace boxora

boxora::Outcome GlFrameRenderer::PerformTiledJob(const RenderJob& job, int tileSide, boxora::RenderJobScene& scene) {
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::time_point from) {
        return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
    };
    const auto jobStart = Clock::now();
    const int width = job.width, height = job.height;
    const std::vector<boxora::TileSpan> columns = boxora::SplitEvenly(width, tileSide);
    const std::vector<boxora::TileSpan> bands = boxora::SplitEvenly(height, tileSide);
    const int surfaceWidth = columns.front().size, surfaceHeight = bands.front().size;
    boxora::SceneFrame& frame = scene.Frame();

    if (!FitOffscreenSurface(surfaceWidth, surfaceHeight)) return boxora::SaveError(job.fileName);
    engine_.ReportProgress(1);
    // Textures no larger than the whole picture can show.
    SetTexturePictureSize(width, height);
    if (boxora::Outcome textures = scene.UploadTextures(); job.requireImages && textures.failed) {
        scene.DeleteTextures();
        return textures;
    } else {
        engine_.Report(textures);
    }

    const auto backToRest = [&] {
        frame.SetSideOrderKept(false);
        frame.SetProgressRange(0, 1);
        jobShadow_->EndTiledShadow();
        boxora::ClearTileWindow();
        // The surface keeps the tile size (see FitOffscreenSurface).
        scene.DeleteTextures();
        lastJobTimes_.total = ms(jobStart);
    };
    const auto givenUp = [&] {
        backToRest();
        boxora::Outcome outcome;
        outcome.failed = true;
        return outcome;
    };

    // One frame of the whole picture, as large as the surface allows: the
    // side order and the shadow's samples and extent, the same for every
    // tile.
    const auto frameStart = Clock::now();
    const auto [shapeWidth, shapeHeight] = boxora::FitShape(width, height, surfaceWidth, surfaceHeight);
    boxora::SetTileWindow({width, height, 0, 0, width, height});
    scene.Resize(shapeWidth, shapeHeight);
    frame.OrderSidesOnly(shapeWidth, shapeHeight);
    // The shadow's quality and sample count follow the picture's size.
    jobParams_.viewportWidth = width;
    jobParams_.viewportHeight = height;
    glViewport(0, 0, shapeWidth, shapeHeight);
    const boxora::CameraSetup camera = boxora::ComputeCamera(jobParams_, width, height);
    boxora::ApplyProjectionAndCamera(camera);
    boxora::ApplySceneTransform(camera);
    jobShadow_->PlanTiledShadow(width, height, scene.DrawingScene());
    frame.SetSideOrderKept(true);

    const bool keepAlpha = jobParams_.backgroundTransparent && (job.format != FORMAT_GIF || job.gifTransparency);
    boxora::BandOutput output(job, keepAlpha);
    std::string why;
    if (!output.Start(&why)) {
        backToRest();
        return boxora::SaveError(job.fileName);
    }
    std::vector<uint8_t> band;
    try {
        band.resize(static_cast<std::size_t>(width) * surfaceHeight * 4);
    } catch (const std::bad_alloc&) {
        backToRest();
        return boxora::SaveError(job.fileName);
    }

    // Top band first: the encoders take the rows top down.
    double readMs = 0, saveMs = 0, shadowMs = 0;
    const float tileShare = 84.0f / static_cast<float>(columns.size() * bands.size());
    int tilesDone = 0;
    for (auto b = bands.rbegin(); b != bands.rend(); ++b) {
        for (const boxora::TileSpan& column : columns) {
            frame.SetProgressRange(5.0f + tileShare * static_cast<float>(tilesDone++), tileShare / 100.0f);
            boxora::SetTileWindow({width, height, column.start, b->start, column.size, b->size});
            glViewport(0, 0, column.size, b->size);
            frame.Draw(RENDER_MODE_OFFSCREEN, column.size, b->size);
            shadowMs += frame.LastShadowMs();
            if (engine_.RenderAbortRequested()) return givenUp();
            const auto readStart = Clock::now();
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            glPixelStorei(GL_PACK_ROW_LENGTH, width);
            glReadPixels(0, 0, column.size, b->size, GL_RGBA, GL_UNSIGNED_BYTE,
                         band.data() + static_cast<std::size_t>(column.start) * 4);
            glPixelStorei(GL_PACK_ROW_LENGTH, 0);
            readMs += ms(readStart);
        }
        const auto saveStart = Clock::now();
        const bool added = output.AddBand(band, b->start, b->size);
        saveMs += ms(saveStart);
        if (!added) {
            backToRest();
            return boxora::SaveError(job.fileName);
        }
    }
    std::vector<uint8_t>().swap(band);
    lastJobTimes_.frame = ms(frameStart) - readMs - saveMs;
    lastJobTimes_.shadow = shadowMs;
    lastJobTimes_.read = readMs;
    engine_.ReportProgress(90);

    const auto saveStart = Clock::now();
    // A template renamed during the job moves its picture along.
    const std::string outputName = engine_.RenderOutputName(job.fileName);
    boxora::Outcome result;
    if (output.Finish(outputName)) engine_.FinishRenderOutput(outputName);
    else result = boxora::SaveError(outputName);
    lastJobTimes_.save = saveMs + ms(saveStart);
    engine_.ReportProgress(100);
    backToRest();
    return result;
}
