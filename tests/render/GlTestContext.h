#pragma once
// A current OSMesa context of a given size for tests that draw real frames,
// with pixel access (x, y from the lower left corner).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/OsMesaContext.h"

class GlTestContext {
public:
    GlTestContext(int width, int height) {
        std::string error;
        context_ = boxora::OsMesaContext::Create(&error);
        if (!context_) {
            ADD_FAILURE() << error;
            return;
        }
        if (!context_->Resize(width, height)) {
            ADD_FAILURE() << "cannot make a " << width << "x" << height << " surface";
            context_.reset();
        }
    }
    ~GlTestContext() {
        if (context_) context_->Release();
    }
    bool Ok() const { return context_ != nullptr; }
    int Width() const { return context_->Width(); }
    int Height() const { return context_->Height(); }
    boxora::OsMesaContext& Context() { return *context_; }

    // Reads the frame; pixels are then available through At.
    void Read() { ASSERT_TRUE(context_->ReadPixels(pixels_)); }
    std::array<int, 4> At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * Width() + x) * 4;
        return {pixels_[i], pixels_[i + 1], pixels_[i + 2], pixels_[i + 3]};
    }
    const std::vector<uint8_t>& Pixels() const { return pixels_; }

private:
    std::unique_ptr<boxora::OsMesaContext> context_;
    std::vector<uint8_t> pixels_;
};
