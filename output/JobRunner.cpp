#include "output/JobRunner.h"

#include <chrono>
#include <cstring>
#include <new>
#include <vector>

#include "output/PictureOutput.h"
#include "render/RenderJobSteps.h"

namespace boxora {

namespace {

// Collects a job's picture for its pictureSink: R, G, B, A, top row first,
// alpha 255 unless the background is transparent. A job that ends without
// a picture tells the sink so with null pixels.
class PictureAssembly final : public IPictureSink {
public:
    explicit PictureAssembly(const RenderJob& job) : job_(job) {}
    ~PictureAssembly() override {
        if (!delivered_) job_.pictureSink(nullptr, 0, 0);
    }
    bool Begin(int width, int height, bool transparent, bool) override {
        if (width < 1 || height < 1) return false;
        width_ = width;
        height_ = height;
        transparent_ = transparent;
        try {
            pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    bool AddRows(const uint8_t* rgba, std::ptrdiff_t stride, int first, int count) override {
        if (first != rowsDone_ || count < 0 || count > height_ - rowsDone_) return false;
        const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
        for (int r = 0; r < count; ++r) {
            uint8_t* dst = pixels_.data() + static_cast<std::size_t>(first + r) * rowBytes;
            std::memcpy(dst, rgba + static_cast<std::ptrdiff_t>(r) * stride, rowBytes);
            if (!transparent_)
                for (std::size_t i = 3; i < rowBytes; i += 4) dst[i] = 255;
        }
        rowsDone_ += count;
        return true;
    }
    bool Deliver() {
        if (width_ == 0 || rowsDone_ != height_) return false;
        delivered_ = true;
        job_.pictureSink(pixels_.data(), width_, height_);
        return true;
    }

private:
    const RenderJob& job_;
    std::vector<uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    int rowsDone_ = 0;
    bool transparent_ = false;
    bool delivered_ = false;
};

}  // namespace

RenderJobRun RunRenderJob(IPictureRenderer& renderer, const RenderJob& job, const JobOutputTarget& target) {
    const auto progress = [&](float percent) {
        if (target.progress) target.progress(percent);
    };
    RenderJobRun run;
    if (job.pictureSink) {
        PictureAssembly picture(job);
        run.outcome = renderer.RenderPicture(job, picture);
        if (run.outcome.failed) return run;
        if (!picture.Deliver()) run.outcome = SaveError(job.fileName);
        progress(100);
        return run;
    }
    PictureOutput output(job);
    run.outcome = renderer.RenderPicture(job, output);
    if (run.outcome.failed) return run;
    progress(90);
    const auto start = std::chrono::steady_clock::now();
    const std::string name = target.outputName ? target.outputName(job.fileName) : job.fileName;
    if (output.Finish(name)) {
        if (target.written) target.written(name);
    } else {
        run.outcome = SaveError(name, output.Error());
    }
    run.outputMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    progress(100);
    return run;
}

}  // namespace boxora
