#pragma once
// Large pictures drawn in tiles. One surface of the whole picture would
// need colour, depth, stencil and a 16-bit accumulation buffer for every
// pixel (about 1 GiB at 8000 × 8000 before the read-back), so pictures
// beyond kOnePieceMaxSide a side are drawn tile by tile on a surface of one
// tile, a band (a row of tiles) at a time; each band's rows go to the
// picture sink as soon as it is complete.
#include <functional>
#include <vector>

#include "platform/Outcome.h"

class CShadowManager2;
class IPictureSink;
class IRenderHost;
struct RenderJob;
struct SceneParams;

namespace boxora {

class RenderJobScene;

// Up to this side a picture is drawn in one piece (3000 × 3000 peaks at
// about 340 MiB for the whole process).
constexpr int kOnePieceMaxSide = 3000;
// The tile side chosen for larger pictures: 2048² keeps the surface near
// 100 MiB while the per-tile work (the side order of the picture is found
// once; the shadow's samples are redrawn for every tile it reaches) stays
// small against the pixels.
constexpr int kDefaultTileSide = 2048;
// The smallest tile side that can be forced.
constexpr int kMinTileSide = 64;
// The largest picture side a job may ask for.
constexpr int kMaxPictureSide = 16000;

// The tile side for a picture: 0 draws it in one piece. forced > 0 (the
// --tile option) is taken, at least kMinTileSide; a forced side that holds
// the whole picture draws it in one piece.
int ChooseTileSide(int width, int height, int forced);

// A stretch of picture pixels [start, start + size).
struct TileSpan {
    int start = 0;
    int size = 0;
};

// extent split into ceil(extent / side) spans whose sizes differ by at most
// one, so that no tile is a sliver.
std::vector<TileSpan> SplitEvenly(int extent, int side);

// What a tiled job draws with: the renderer's job settings, shadow and
// scene copy, and how it sizes its offscreen surface (false when the size
// cannot be had).
struct TiledJobParts {
    IRenderHost& host;
    SceneParams& params;
    CShadowManager2& shadow;
    RenderJobScene& scene;
    std::function<bool(int width, int height)> fitSurface;
};

// Where a tiled job's time went, in milliseconds.
struct TiledJobTimes {
    double shadow = 0;
    double frame = 0;
    double read = 0;
    double deliver = 0;  // in the sink
};

// Draws the job tile by tile on the current (offscreen) context, handing
// each finished band to sink, top band first.
Outcome DrawTiledPicture(const RenderJob& job, int tileSide, const TiledJobParts& parts, IPictureSink& sink,
                         TiledJobTimes& times);

}  // namespace boxora
