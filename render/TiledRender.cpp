#include "render/TiledRender.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>

#include "lang/Messages.h"
#include "render/CameraGl.h"
#include "render/OsMesaContext.h"
#include "render/PictureRenderer.h"
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

// The largest size of the picture's shape that fits the surface, for the
// one frame drawn of the whole picture (it finds the side order).
std::pair<int, int> FitShape(int width, int height, int surfaceWidth, int surfaceHeight) {
    const double scale =
        std::min({1.0, static_cast<double>(surfaceWidth) / width, static_cast<double>(surfaceHeight) / height});
    return {std::clamp(static_cast<int>(width * scale + 0.5), 1, surfaceWidth),
            std::clamp(static_cast<int>(height * scale + 0.5), 1, surfaceHeight)};
}

}  // namespace

}  // namespace boxora

namespace boxora {

Outcome DrawTiledPicture(const RenderJob& job, int tileSide, const TiledJobParts& parts, IPictureSink& sink,
                         TiledJobTimes& times) {
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::time_point from) {
        return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
    };
    IRenderHost& host = parts.host;
    const int width = job.width, height = job.height;
    const std::vector<TileSpan> columns = SplitEvenly(width, tileSide);
    const std::vector<TileSpan> bands = SplitEvenly(height, tileSide);
    const int surfaceWidth = columns.front().size, surfaceHeight = bands.front().size;
    SceneFrame& frame = parts.scene.Frame();

    if (!parts.fitSurface(surfaceWidth, surfaceHeight)) return SaveError(job.fileName);
    host.ReportProgress(1);
    // Textures no larger than the whole picture can show.
    SetTexturePictureSize(width, height);
    if (Outcome textures = parts.scene.UploadTextures(); job.requireImages && textures.failed) {
        parts.scene.DeleteTextures();
        return textures;
    } else {
        host.Report(textures);
    }

    struct BackToRest {
        SceneFrame& frame;
        CShadowManager2& shadow;
        RenderJobScene& scene;
        ~BackToRest() {
            frame.SetSideOrderKept(false);
            frame.SetProgressRange(0, 1);
            shadow.EndTiledShadow();
            ClearTileWindow();
            // The surface keeps the tile size (see FitOffscreenSurface).
            scene.DeleteTextures();
        }
    } backToRest{frame, parts.shadow, parts.scene};
    const auto givenUp = [] {
        Outcome outcome;
        outcome.failed = true;
        return outcome;
    };

    // One frame of the whole picture, as large as the surface allows: the
    // side order and the shadow's samples and extent, the same for every
    // tile.
    const auto frameStart = Clock::now();
    const auto [shapeWidth, shapeHeight] = FitShape(width, height, surfaceWidth, surfaceHeight);
    SetTileWindow({width, height, 0, 0, width, height});
    parts.scene.Resize(shapeWidth, shapeHeight);
    frame.OrderSidesOnly(shapeWidth, shapeHeight);
    // The shadow's quality and sample count follow the picture's size.
    parts.params.viewportWidth = width;
    parts.params.viewportHeight = height;
    glViewport(0, 0, shapeWidth, shapeHeight);
    const CameraSetup camera = ComputeCamera(parts.params, width, height);
    ApplyProjectionAndCamera(camera);
    ApplySceneTransform(camera);
    parts.shadow.PlanTiledShadow(width, height, parts.scene.DrawingScene());
    frame.SetSideOrderKept(true);

    if (!sink.Begin(width, height, parts.params.backgroundTransparent, true)) return {};
    std::vector<uint8_t> band;
    try {
        band.resize(static_cast<std::size_t>(width) * surfaceHeight * 4);
    } catch (const std::bad_alloc&) {
        return SaveError(job.fileName);
    }

    // Top band first: the encoders take the rows top down.
    const float tileShare = 84.0f / static_cast<float>(columns.size() * bands.size());
    int tilesDone = 0;
    const auto rowBytes = static_cast<std::ptrdiff_t>(width) * 4;
    for (auto b = bands.rbegin(); b != bands.rend(); ++b) {
        for (const TileSpan& column : columns) {
            frame.SetProgressRange(5.0f + tileShare * static_cast<float>(tilesDone++), tileShare / 100.0f);
            SetTileWindow({width, height, column.start, b->start, column.size, b->size});
            glViewport(0, 0, column.size, b->size);
            frame.Draw(RENDER_MODE_OFFSCREEN, column.size, b->size);
            times.shadow += frame.LastShadowMs();
            if (host.RenderAbortRequested()) return givenUp();
            const auto readStart = Clock::now();
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            glPixelStorei(GL_PACK_ROW_LENGTH, width);
            glReadPixels(0, 0, column.size, b->size, GL_RGBA, GL_UNSIGNED_BYTE,
                         band.data() + static_cast<std::size_t>(column.start) * 4);
            glPixelStorei(GL_PACK_ROW_LENGTH, 0);
            times.read += ms(readStart);
        }
        // The band's rows as read back, bottom up; its top row is picture
        // row height - start - size from the top.
        const auto deliverStart = Clock::now();
        const bool taken =
            sink.AddRows(band.data() + (b->size - 1) * rowBytes, -rowBytes, height - b->start - b->size, b->size);
        times.deliver += ms(deliverStart);
        if (!taken) return {};
    }
    times.frame = ms(frameStart) - times.read - times.deliver;
    return {};
}

}  // namespace boxora
