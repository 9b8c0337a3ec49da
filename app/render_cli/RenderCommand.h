#pragma once
// boxora-render SCENE -o OUT [options]: final-quality renders of scene files
// by the engine's render job, as "Render and Save" makes them, any number in
// one run with one headless session (HeadlessSession.h). A SCENE that is a folder renders every scene
// file in it into the folder given with its -o.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/RenderJob.h"

class CEngine;

// One scene (or folder of scenes) and where its picture goes (or the
// folder the pictures go to).
struct SceneFileData;

struct RenderTarget {
    std::string scene;
    std::string output;
};

struct RenderOptions {
    std::vector<RenderTarget> targets;
    int width = 300;
    int height = 300;
    // --size, --print or --thumbnail gave the size; otherwise each scene's
    // own picture size is used.
    bool sizeGiven = false;
    std::optional<int> format;  // image format code; otherwise from each output's extension
    int jpegQuality = 100;
    int jpegOptions = 0;   // 8 optimised coding, 16 progressive
    int pngInterlace = 0;  // 1 interlaced
    int gifCompression = 0;
    int tiffCompression = 0;
    int webpLossless = 0;              // 1 lossless WebP; otherwise lossy at jpegQuality
    bool transparent = false;          // render with a transparent background
    bool gifTransparent = false;       // GIF pictures keep a transparent background as transparent colour
    bool allowMissing = false;         // render even when images are missing or cannot be decoded
    std::optional<unsigned> seed;      // seeds the shadow's random jitter
    std::optional<bool> progress;      // the bar; by default when standard error is a terminal
    std::optional<int> thumbnailSize;  // --thumbnail: one square PNG, time-limited
    bool fitImages = false;            // --fit-images: every object fitted to its images first
    // --variants TABLE: the one scene renders a picture per row of the
    // table into the folder its -o names (VariantsCommand.h).
    std::string variants;
    std::string variantsReport;  // --report: JSON lines, one per row
    int shardIndex = 1;          // --shard K/N: K from 1 to N
    int shardCount = 1;
    bool skipExisting = false;
    int tileSize = 0;  // --tile: forced tile side; 0 chooses
    int dpi = 0;       // --dpi: resolution written into the picture; 0 none
    // --profile: RGB profile the pictures are written in; --cmyk: CMYK
    // profile of CMYK TIFF and JPEG pictures; --intent, --bpc: how.
    std::string outputProfile;
    std::string cmykProfile;
    int colourIntent = 0;
    bool blackPointCompensation = false;
};

// Export format codes from a name ("png", "jpg", ...) or a file's extension
// (".png", ".jpg"/".jpeg", ".gif", ".tif"/".tiff", ".bmp", ".tga", ".jp2",
// ".jpc"/".j2k", ".ras", ".pnm"/".ppm", ".webp"); nothing when unknown.
std::optional<int> ExportFormatFromName(const std::string& name);
std::optional<int> ExportFormatFromFileName(const std::string& fileName);
// The usual extension of a format code (".png", ".jpg", ...).
std::string ExportExtension(int format);

// The render job for one picture of the run: the export options, seed,
// tiles and resolution the options give, for this file, format and size.
RenderJob MakeRenderJob(const RenderOptions& options, const std::string& fileName, int format, int width, int height);

// Returns the exit status: 0 every picture written, 1 some scene could not
// be read or rendered (an image it names is missing or cannot be decoded,
// unless allowMissing) or some picture could not be written, 130 when
// interrupted.
int RunRenderCommand(const RenderOptions& options);

// --thumbnail: RunRenderCommand under a time limit, so that a file manager
// waiting for the picture is never kept waiting by a heavy or hostile
// scene; status 1 when the limit is reached.
int RunThumbnailCommand(const RenderOptions& options);
