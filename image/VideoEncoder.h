#pragma once
// Short videos of rendered frames through libavcodec and libavformat:
// H.264 in MP4 or VP9 in WebM. The file is assembled in memory (turntable
// videos are small), so that the caller writes it in one atomic step.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace imagecodec {

enum class VideoKind { Mp4H264, WebmVp9 };

class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Empty when the libraries can write the kind; otherwise what is
    // missing (the encoder library the installed libavcodec lacks).
    static std::string Missing(VideoKind kind);

    // Odd sizes are rounded up to even ones (4:2:0 video needs them).
    bool Open(VideoKind kind, int width, int height, int fps, std::string* why);
    // width × height × 4 bytes R, G, B, A, top row first; alpha is dropped.
    bool AddFrame(const uint8_t* rgba, std::string* why);
    // Flushes the encoder and returns the whole file.
    bool Finish(std::vector<uint8_t>& out, std::string* why);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace imagecodec
