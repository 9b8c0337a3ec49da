#pragma once
// ICC colour management through littleCMS 2. Artwork is converted once, as
// it is decoded, from the colour space its file names into sRGB (the
// renderers' working space); pictures are written in sRGB or converted into
// the RGB or CMYK profile a job asks for, and carry that profile.
//
// Embedded profiles come from files of unknown origin: one larger than
// kMaxProfileBytes, one littleCMS cannot parse, or one whose colour space
// does not match the pixels is refused; the picture is then decoded as if
// it had none and a warning is given (once per reason and format).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageData.h"

namespace imagecodec {

constexpr std::size_t kMaxProfileBytes = 4u << 20;

// How the samples handed to a transform are laid out.
enum class PixelLayout {
    Bgr,           // B, G, R bytes (ImageData's 24-bit order)
    Grey,          // one byte
    Cmyk,          // C, M, Y, K ink amounts (0: no ink)
    CmykInverted,  // as Adobe applications store it (255: no ink)
};

// Converts rows of one layout into sRGB B, G, R bytes.
class ToSrgbTransform {
public:
    ToSrgbTransform() = default;
    ~ToSrgbTransform();
    ToSrgbTransform(const ToSrgbTransform&) = delete;
    ToSrgbTransform& operator=(const ToSrgbTransform&) = delete;

    // Opens the transform for an embedded profile (null or empty: none).
    // CMYK without a usable profile goes through the default CMYK profile
    // when one is installed. False when there is nothing to convert through
    // (the caller keeps its own conversion); a refused profile is warned
    // about, naming the format.
    bool Open(const uint8_t* icc, std::size_t size, PixelLayout layout, const char* format);
    bool Active() const { return transform_ != nullptr; }
    void Row(const uint8_t* in, uint8_t* bgr, uint32_t count) const;

private:
    void* transform_ = nullptr;
};

// Converts a decoded picture (24-bit B, G, R, or an 8-bit grey palette)
// from its embedded profile into sRGB, in place.
void ConvertToSrgb(ImageData& image, const uint8_t* icc, std::size_t size, const char* format);

// A PNG's gAMA without a profile: the picture's tone curve is moved from
// that file gamma to sRGB's (sRGB primaries assumed). Gammas near sRGB's
// own leave the picture untouched.
void ConvertGammaToSrgb(ImageData& image, double fileGamma);

// The sRGB profile written into pictures (made once).
const std::vector<uint8_t>& SrgbProfile();

// The default CMYK profile (Ghostscript's, when installed); empty when
// there is none and CMYK is converted by formula.
const std::vector<uint8_t>& DefaultCmykProfile();

// Reads an ICC profile file (at most kMaxProfileBytes) and checks that
// littleCMS opens it; cmyk asks for a CMYK profile, otherwise an RGB one.
bool ReadProfileFile(const std::string& path, bool cmyk, std::vector<uint8_t>& out, std::string* why);

// Rendering intents as ICC numbers them.
enum class ColourIntent { Perceptual = 0, Relative = 1, Saturation = 2, Absolute = 3 };

// Converts R, G, B, A rows in sRGB into an output profile: R, G, B, A in an
// RGB profile (alpha copied), or C, M, Y, K ink amounts in a CMYK profile.
class FromSrgbTransform {
public:
    FromSrgbTransform() = default;
    ~FromSrgbTransform();
    FromSrgbTransform(const FromSrgbTransform&) = delete;
    FromSrgbTransform& operator=(const FromSrgbTransform&) = delete;

    bool Open(const std::vector<uint8_t>& icc, bool cmyk, ColourIntent intent, bool blackPointCompensation,
              std::string* why);
    bool Cmyk() const { return cmyk_; }
    void Row(const uint8_t* rgba, uint8_t* out, uint32_t count) const;

private:
    void* transform_ = nullptr;
    bool cmyk_ = false;
};

}  // namespace imagecodec
