#pragma once
// Turntables: the loaded scene rendered frame by frame while the camera
// turns once around the vertical axis, written as a numbered sequence of
// stills, an animated GIF or WebP, or a video. The command line and the
// desktop program both run it here.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "image/ImageFormat.h"

class IEngine;
struct SceneParams;

namespace boxora {

enum class TurntableOutput { Sequence, Gif, Webp, Mp4, Webm };

struct TurntableSettings {
    // The file, or a numbered name for a sequence ("spin-%03d.png"). Without
    // `kind`, the name says what to write (TurntableOutputFor) and "%%"
    // stands for a percent sign in any name; with it, the name of an
    // animation or video is taken as it stands.
    std::string output;
    std::optional<TurntableOutput> kind;
    int frames = 12;  // 1 .. kMaxTurntableFrames
    int width = 300;
    int height = 300;
    int fps = 12;  // 1 .. 100
    // Sweeps the vertical angle from .first to .second at half the turn and
    // back, so that the loop closes; without it the scene's angle stays.
    std::optional<std::pair<float, float>> vertical;
    bool transparent = false;  // GIF, WebP and alpha-carrying stills keep it
    int quality = 100;         // lossy WebP and JPEG stills
    bool lossless = false;     // WebP
    // Frame i is seeded with seed + i, so each frame is reproducible.
    uint32_t seed = 1;
    // The stills of a sequence: format code and its options.
    int stillFormat = FORMAT_PNG;
    int pngInterlace = 0;
    int jpegOptions = 0;
    int gifCompression = 0;
    int tiffCompression = 0;
    // A face image that gives no pixels fails the frame (RenderJob).
    bool requireImages = false;
};

constexpr int kMaxTurntableFrames = 3600;

// What a numbered name holds: no number at all, exactly one "%d" or
// "%0Nd" (N 1..9; "%%" stands for a percent sign), or anything else that
// follows a "%" (refused: the name is never handed to printf).
enum class NumberPattern { None, Valid, Invalid };
NumberPattern CheckNumberPattern(const std::string& name);
// The name with its number put in (a Valid pattern only).
std::string NumberedName(const std::string& pattern, int number);

// The kind of output a name asks for: a numbered name is a sequence;
// otherwise .gif, .webp, .mp4 or .webm. Nothing (error says why) for other
// names and for broken numbers.
std::optional<TurntableOutput> TurntableOutputFor(const std::string& name, std::string* error);

// The camera angles of frame `index` of `frames`, from the scene's own.
std::pair<float, float> TurntableAngles(const TurntableSettings& settings, int index, float horizontal, float vertical);

struct TurntableCallbacks {
    std::function<bool()> cancelled;                    // polled while frames render
    std::function<void(int done, int total)> progress;  // after each frame
};

struct TurntableResult {
    enum class Status { Written, Failed, Cancelled } status = Status::Failed;
    std::string error;  // for Failed
    int framesRendered = 0;
};

// Renders and writes the turntable with the engine's loaded scene; the
// camera is back at the scene's angles when it returns. An animation or
// video is written in one atomic step at the end: a cancelled or failed run
// leaves no file behind and an older file of that name as it was. A
// sequence writes each still as it is done.
TurntableResult RenderTurntable(IEngine& engine, const SceneParams& scene, const TurntableSettings& settings,
                                const TurntableCallbacks& callbacks);

}  // namespace boxora
