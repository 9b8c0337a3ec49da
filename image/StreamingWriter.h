#pragma once
// Writes a picture that arrives in bands of rows, top row first, without
// ever holding the whole picture: PNG (not interlaced), JPEG and TIFF
// encode each row as it comes. The encoded file grows in an anonymous
// memory file and replaces the target atomically once complete, so a
// failed or abandoned picture never spoils the previous file of that name.
#include <cstdint>
#include <memory>
#include <string>

#include "image/ImageData.h"

namespace imagecodec {

class StreamingWriter {
public:
    virtual ~StreamingWriter();
    // count rows of width × 4 bytes: B, G, R, A per pixel, top row first.
    // False once anything failed (Error() says what); later calls do nothing.
    virtual bool WriteRows(const uint8_t* bgra, uint32_t count) = 0;
    // After every row: encodes the end of the file and puts it at path.
    bool Finish(const std::string& path);
    const std::string& Error() const { return error_; }

    // The writer for a format code (4 PNG, 3 JPG, 6 TIFF) and its options,
    // or null when the format, or its options, need the whole picture at
    // once (interlaced PNG, TIFF in fax coding, every other format): the
    // caller then assembles the picture and encodes it in one go.
    // withAlpha keeps the A bytes where the format holds them.
    static std::unique_ptr<StreamingWriter> Create(int format, const EncodeOptions& options, uint32_t width,
                                                   uint32_t height, bool withAlpha, std::string* why);
    // Whether Create would give a writer for these.
    static bool Streams(int format, const EncodeOptions& options);

protected:
    StreamingWriter() = default;
    // Opens the anonymous file; false when it cannot be had.
    bool OpenMemoryFile();
    // Encodes what follows the last row and flushes into the memory file.
    virtual bool End() = 0;
    bool Fail(const std::string& why);

    int fd_ = -1;
    std::string error_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t rowsDone_ = 0;
    bool alpha_ = false;
    void CloseMemoryFile();

public:
    StreamingWriter(const StreamingWriter&) = delete;
    StreamingWriter& operator=(const StreamingWriter&) = delete;
};

}  // namespace imagecodec
