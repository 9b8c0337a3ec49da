#include "image/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

namespace imagecodec {

namespace {

const char* EncoderName(VideoKind kind) { return kind == VideoKind::Mp4H264 ? "libx264" : "libvpx-vp9"; }
const char* MuxerName(VideoKind kind) { return kind == VideoKind::Mp4H264 ? "mp4" : "webm"; }

// A seekable file in memory for the muxer (MP4 goes back to fill in sizes).
struct MemoryFile {
    std::vector<uint8_t> bytes;
    std::size_t pos = 0;
};

int WriteMemory(void* opaque, uint8_t* buf, int size) {
    auto* file = static_cast<MemoryFile*>(opaque);
    if (size <= 0) return 0;
    const std::size_t end = file->pos + static_cast<std::size_t>(size);
    if (end > file->bytes.size()) file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->pos, buf, static_cast<std::size_t>(size));
    file->pos = end;
    return size;
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return static_cast<int64_t>(file->bytes.size());
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(file->pos);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(file->bytes.size());
    else if (whence != SEEK_SET)
        return -1;
    const int64_t target = base + offset;
    if (target < 0) return -1;
    file->pos = static_cast<std::size_t>(target);
    return target;
}

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

struct VideoEncoder::State {
    MemoryFile file;
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scale = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int width = 0, height = 0;
    int64_t next = 0;
    bool headerWritten = false;

    ~State() {
        if (scale) sws_freeContext(scale);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        if (format) avformat_free_context(format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    // Moves every packet the encoder has ready into the file.
    bool Drain(std::string* why) {
        for (;;) {
            const int got = avcodec_receive_packet(codec, packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
            if (got < 0) {
                if (why) *why = "video encoding failed: " + AvError(got);
                return false;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int written = av_interleaved_write_frame(format, packet);
            av_packet_unref(packet);
            if (written < 0) {
                if (why) *why = "the video could not be written: " + AvError(written);
                return false;
            }
        }
    }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

std::string VideoEncoder::Missing(VideoKind kind) {
    if (!avcodec_find_encoder_by_name(EncoderName(kind)))
        return std::string("this build of libavcodec has no ") + EncoderName(kind) + " encoder";
    if (!av_guess_format(MuxerName(kind), nullptr, nullptr))
        return std::string("this build of libavformat cannot write ") + MuxerName(kind);
    return {};
}

bool VideoEncoder::Open(VideoKind kind, int width, int height, int fps, std::string* why) {
    state_ = std::make_unique<State>();
    State& s = *state_;
    auto fail = [&](const std::string& reason) {
        if (why) *why = reason;
        state_.reset();
        return false;
    };
    const std::string missing = Missing(kind);
    if (!missing.empty()) return fail(missing);
    // The encoders' statistics are not for the user's terminal.
    av_log_set_level(AV_LOG_ERROR);
    if (width < 1 || height < 1 || width > 8192 || height > 8192) return fail("the video size is out of range");
    s.width = width;
    s.height = height;
    const int evenW = (width + 1) & ~1, evenH = (height + 1) & ~1;
    fps = std::clamp(fps, 1, 120);

    if (avformat_alloc_output_context2(&s.format, nullptr, MuxerName(kind), nullptr) < 0 || !s.format)
        return fail("the video container cannot be made");
    constexpr int kIoBuffer = 1 << 16;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBuffer));
    if (!buffer) return fail("out of memory");
    s.io = avio_alloc_context(buffer, kIoBuffer, 1, &s.file, nullptr, WriteMemory, SeekMemory);
    if (!s.io) {
        av_free(buffer);
        return fail("out of memory");
    }
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;

    const AVCodec* encoder = avcodec_find_encoder_by_name(EncoderName(kind));
    s.stream = avformat_new_stream(s.format, nullptr);
    s.codec = avcodec_alloc_context3(encoder);
    if (!s.stream || !s.codec) return fail("out of memory");
    s.codec->width = evenW;
    s.codec->height = evenH;
    s.codec->time_base = AVRational{1, fps};
    s.codec->framerate = AVRational{fps, 1};
    s.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    s.codec->gop_size = fps;
    // One thread: the machine is shared with the renderer, and short
    // clips gain little from more.
    s.codec->thread_count = 1;
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (kind == VideoKind::Mp4H264) {
        av_opt_set(s.codec->priv_data, "preset", "medium", 0);
        av_opt_set(s.codec->priv_data, "crf", "20", 0);
    } else {
        av_opt_set(s.codec->priv_data, "crf", "32", 0);
        av_opt_set(s.codec->priv_data, "b", "0", 0);
        av_opt_set(s.codec->priv_data, "deadline", "good", 0);
        av_opt_set(s.codec->priv_data, "cpu-used", "4", 0);
    }
    int status = avcodec_open2(s.codec, encoder, nullptr);
    if (status < 0) return fail("the video encoder cannot start: " + AvError(status));
    if (avcodec_parameters_from_context(s.stream->codecpar, s.codec) < 0)
        return fail("the video stream cannot be made");
    s.stream->time_base = s.codec->time_base;
    s.stream->avg_frame_rate = s.codec->framerate;
    status = avformat_write_header(s.format, nullptr);
    if (status < 0) return fail("the video header cannot be written: " + AvError(status));
    s.headerWritten = true;

    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (!s.frame || !s.packet) return fail("out of memory");
    s.frame->format = AV_PIX_FMT_YUV420P;
    s.frame->width = evenW;
    s.frame->height = evenH;
    if (av_frame_get_buffer(s.frame, 0) < 0) return fail("out of memory");
    s.scale = sws_getContext(width, height, AV_PIX_FMT_RGBA, evenW, evenH, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                             nullptr, nullptr);
    if (!s.scale) return fail("the video frame converter cannot start");
    return true;
}

bool VideoEncoder::AddFrame(const uint8_t* rgba, std::string* why) {
    if (!state_) {
        if (why) *why = "the video is not open";
        return false;
    }
    State& s = *state_;
    if (av_frame_make_writable(s.frame) < 0) {
        if (why) *why = "out of memory";
        return false;
    }
    const uint8_t* planes[1] = {rgba};
    const int strides[1] = {s.width * 4};
    sws_scale(s.scale, planes, strides, 0, s.height, s.frame->data, s.frame->linesize);
    s.frame->pts = s.next++;
    const int sent = avcodec_send_frame(s.codec, s.frame);
    if (sent < 0) {
        if (why) *why = "video encoding failed: " + AvError(sent);
        return false;
    }
    return s.Drain(why);
}

bool VideoEncoder::Finish(std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (!state_) {
        if (why) *why = "the video is not open";
        return false;
    }
    State& s = *state_;
    if (avcodec_send_frame(s.codec, nullptr) < 0 || !s.Drain(why)) return false;
    const int status = av_write_trailer(s.format);
    if (status < 0) {
        if (why) *why = "the video could not be finished: " + AvError(status);
        return false;
    }
    avio_flush(s.io);
    out = std::move(s.file.bytes);
    state_.reset();
    return true;
}

}  // namespace imagecodec
