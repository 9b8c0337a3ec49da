#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The renderers a job can name. Fast: the OpenGL renderer of the preview
// and of "Render and Save".
enum class PictureRendererId { Fast };

// A render-to-file request: output file, size, format code and the export
// options of the Rendering tab.
struct RenderJob {
    std::string fileName;  // full path, extension included
    int width = 0;         // 1..16000 (the Rendering tab: 1..3000)
    int height = 0;        // 1..16000
    // The format this job writes, resolved by whoever made the job (the
    // scene's Rendering-tab choice is a default, not a rule for the job).
    int format = 4;  // image format code: 1 BMP, 2 GIF, 3 JPG, 4 PNG, 6 TIFF, 7 TGA, 11 JP2, 12 JPC, 14 PNM, 15 RAS
    PictureRendererId renderer = PictureRendererId::Fast;
    int pngInterlace = 0;     // 1 interlaced
    int jpegQuality = 100;    // 0..100
    int jpegOptions = 0;      // bit value 8 optimised coding, 16 progressive
    int gifCompression = 0;   // 0 LZW, 1 none, 2 RLE
    int tiffCompression = 0;  // 0 auto, 1 none, 2 RLE, 4 fax, 5 LZW, 7 JPEG, 32773 PackBits
    // Seeds the shadow's random spread; without one the job seeds from the
    // clock. The same scene, size and seed give the same picture.
    std::optional<uint32_t> seed;
    // GIF pictures carry no alpha: a transparent background shows as in
    // JPEG. Set, a transparent background becomes the GIF's transparent
    // colour instead (asked for explicitly, never by the Rendering tab).
    bool gifTransparency = false;
    // Print sizes. Side of the square tiles a large picture is drawn in;
    // 0 chooses (one piece up to 3000 pixels a side). dpi: the resolution
    // written into PNG, JPEG and TIFF files; 0 writes none.
    int tileSize = 0;
    int dpi = 0;
    // WebP: 1 lossless; otherwise lossy at jpegQuality.
    int webpLossless = 0;
    // Colour of the written picture. Without a profile file it stays in
    // sRGB, the renderers' own space, and says so. outputProfile (an RGB
    // ICC file) converts it into that space; cmykProfile (a CMYK ICC file)
    // writes a CMYK TIFF or JPEG, with that intent (0 perceptual, 1
    // relative, 2 saturation, 3 absolute) and black point compensation.
    std::string outputProfile;
    std::string cmykProfile;
    int colourIntent = 0;
    bool blackPointCompensation = false;
    // Set, a face image that gives no pixels at the picture's size (a
    // drawing out of time at a print size included) fails the job, writing
    // nothing: a picture with a blank face is no success (boxora-render
    // without --allow-missing).
    bool requireImages = false;
    // Set, the finished picture is handed here instead of being written
    // (fileName only names the job in messages): width × height × 4 bytes
    // R, G, B, A, top row first, alpha 255 unless the background is
    // transparent. Called once on the render thread, with null pixels when
    // the job gave up; the callee copies what it keeps.
    std::function<void(const uint8_t* rgba, int width, int height)> pictureSink;
    // Set, asked on the render thread while the job runs: true gives the job
    // up, writing nothing (a file of that name keeps its content).
    std::function<bool()> cancelled;
    // Set, called once on the render thread when the job has ended, before
    // the engine's end notification: whether the picture was written.
    std::function<void(bool written)> finished;
};
