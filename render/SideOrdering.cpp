// The visibility order of the sides. A side X is obstructed by a side Y when
// some pixel of X lies behind Y's pixel there (by more than 1e-6 in depth);
// the order repeatedly takes the first side (in array order) that no side
// left obstructs, or the last side left when every one is obstructed.
//
// Whether Y obstructs X depends on those two sides only, so each side's
// depth is drawn and read back once per run and the relation is worked out
// on the read-back images, where only sides whose covered pixels overlap
// are compared. This gives the order the draw-everything-per-candidate
// search gave, at a cost that grows with the number of overlapping pairs
// instead of with the cube of the number of sides.
//
// Sides whose depth images are the same (objects stacked on one spot) can
// never obstruct each other and obstruct others alike, so they are compared
// once, as a group: a thousand copies of one box cost what one does.
#include <algorithm>
#include <cstring>
#include <set>
#include <unordered_map>

#include "render/SideManager.h"

namespace {

// Depth at or beyond this is background: such a pixel is nobody's.
constexpr float kFar = 0.999999f;
constexpr float kCloser = 1e-6f;

struct SideDepth {
    DepthRect rect{};                    // where the read-back came from
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // covered pixels: [x0, x1) x [y0, y1)
    float nearest = 1.0f, farthest = 0.0f;
    std::vector<float> kept;  // the read-back, when it fits the budget
    bool duplicate = false;   // the same image as an earlier side's
    bool Covers() const { return x1 > x0; }
};

uint64_t DepthHash(const DepthRect& rect, const std::vector<float>& values) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the words
    auto mix = [&h](uint32_t word) { h = (h ^ word) * 1099511628211ull; };
    for (const int v : rect) mix(static_cast<uint32_t>(v));
    for (const float v : values) {
        uint32_t word;
        std::memcpy(&word, &v, sizeof word);
        mix(word);
    }
    return h;
}

}  // namespace

bool CSideManager::Stopped(bool abandonable) const { return (stopTest_ && stopTest_()) || (abandonable && Abandon()); }

DepthRect CSideManager::CaptureDepth(CSide& side, std::vector<float>& out) {
    DepthRect rect = backend_->Focus(side).value_or(DepthRect{0, 0, depthWidth_, depthHeight_});
    rect[2] = std::max(rect[2], 0);
    rect[3] = std::max(rect[3], 0);
    backend_->ClearDepth();
    backend_->DrawSilhouette(side);
    backend_->ReadDepth(out);
    const std::size_t n = static_cast<std::size_t>(rect[2]) * static_cast<std::size_t>(rect[3]);
    if (out.size() != n) out.resize(n, 1.0f);
    return rect;
}

bool CSideManager::RunOrdering(bool mirrored, bool abandonable) {
    backend_->BeginRun(mirrored);
    bool abandoned = false;
    for (const CSide& side : sides_) {
        if (side.kind == SIDE_MIRROR && Stopped(abandonable)) {
            abandoned = true;
            break;
        }
    }

    // Each side's depth alone, and the part of it that covers anything.
    const std::size_t n = sides_.size();
    std::vector<SideDepth> depth(n);
    std::size_t keptValues = 0;
    // Sides of one depth image share a group, named by its first side's.
    std::vector<std::size_t> group(n);
    std::size_t groups = 0;
    std::unordered_multimap<uint64_t, std::size_t> firstOfHash;
    for (std::size_t i = 0; i < n && !abandoned; ++i) {
        SideDepth& d = depth[i];
        d.rect = CaptureDepth(sides_[i], depthOne_);
        int x0 = d.rect[2], y0 = d.rect[3], x1 = 0, y1 = 0;
        for (int y = 0; y < d.rect[3]; ++y) {
            const float* row = depthOne_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(d.rect[2]);
            for (int x = 0; x < d.rect[2]; ++x) {
                const float v = row[x];
                if (!(v < kFar)) continue;
                x0 = std::min(x0, x), x1 = std::max(x1, x + 1);
                y0 = std::min(y0, y), y1 = std::max(y1, y + 1);
                d.nearest = std::min(d.nearest, v), d.farthest = std::max(d.farthest, v);
            }
        }
        group[i] = groups++;
        if (x1 > x0) {
            d.x0 = d.rect[0] + x0, d.x1 = d.rect[0] + x1;
            d.y0 = d.rect[1] + y0, d.y1 = d.rect[1] + y1;
            const uint64_t hash = DepthHash(d.rect, depthOne_);
            bool same = false;
            for (auto [at, end] = firstOfHash.equal_range(hash); at != end && !same; ++at) {
                const SideDepth& e = depth[at->second];
                if (e.rect != d.rect) continue;
                const float* values = e.kept.data();
                if (e.kept.empty()) {
                    CaptureDepth(sides_[at->second], depthAll_);
                    values = depthAll_.data();
                }
                same = std::memcmp(values, depthOne_.data(), depthOne_.size() * sizeof(float)) == 0;
                if (same) group[i] = group[at->second], --groups;
            }
            if (same) {
                d.duplicate = true;
            } else {
                firstOfHash.emplace(hash, i);
                if (keptValues + depthOne_.size() <= keptDepthLimit_) {
                    keptValues += depthOne_.size();
                    d.kept = depthOne_;
                }
            }
        }
        if (Stopped(abandonable)) abandoned = true;
    }

    // Which group obstructs which: compared between first sides only.
    std::vector<std::vector<std::size_t>> obstructs(abandoned ? 0 : groups);
    std::vector<std::size_t> obstructedBy(abandoned ? 0 : groups, 0);
    for (std::size_t x = 0; x < n && !abandoned; ++x) {
        const SideDepth& dx = depth[x];
        if (!dx.Covers() || dx.duplicate) continue;
        const float* own = dx.kept.data();
        bool ownRead = !dx.kept.empty();
        for (std::size_t y = 0; y < n && !abandoned; ++y) {
            const SideDepth& dy = depth[y];
            if (y == x || !dy.Covers() || dy.duplicate) continue;
            const int ix0 = std::max(dx.x0, dy.x0), ix1 = std::min(dx.x1, dy.x1);
            const int iy0 = std::max(dx.y0, dy.y0), iy1 = std::min(dx.y1, dy.y1);
            if (ix0 >= ix1 || iy0 >= iy1 || !(dx.farthest - dy.nearest > kCloser)) continue;
            if (!ownRead) {
                CaptureDepth(sides_[x], depthOne_);
                own = depthOne_.data();
                ownRead = true;
            }
            const float* other = dy.kept.data();
            if (dy.kept.empty()) {
                CaptureDepth(sides_[y], depthAll_);
                other = depthAll_.data();
                if (Stopped(abandonable)) abandoned = true;
            }
            bool hit = false;
            for (int py = iy0; py < iy1 && !hit; ++py) {
                const std::size_t a = static_cast<std::size_t>(py - dx.rect[1]) * dx.rect[2] + (ix0 - dx.rect[0]);
                const std::size_t b = static_cast<std::size_t>(py - dy.rect[1]) * dy.rect[2] + (ix0 - dy.rect[0]);
                for (int k = 0; k < ix1 - ix0; ++k) {
                    const float v = own[a + k];
                    if (v < kFar && v - other[b + k] > kCloser) {
                        hit = true;
                        break;
                    }
                }
            }
            if (hit) {
                obstructs[group[y]].push_back(group[x]);
                ++obstructedBy[group[x]];
            }
        }
        if (Stopped(abandonable)) abandoned = true;
    }
    backend_->ClearDepth();
    backend_->EndRun(mirrored);
    if (abandoned) return false;

    // The front-most free side first; when none is free, the last one left.
    // A group is free once every group obstructing it has no side left.
    std::vector<CSide*> order;
    order.reserve(n);
    std::vector<std::set<std::size_t>> members(groups);
    std::set<std::size_t> left, free;
    for (std::size_t i = 0; i < n; ++i) {
        left.insert(left.end(), i);
        members[group[i]].insert(members[group[i]].end(), i);
        if (obstructedBy[group[i]] == 0) free.insert(free.end(), i);
    }
    while (left.size() >= 2) {
        const std::size_t pick = free.empty() ? *left.rbegin() : *free.begin();
        order.push_back(&sides_[pick]);
        left.erase(pick);
        free.erase(pick);
        std::set<std::size_t>& mates = members[group[pick]];
        mates.erase(pick);
        if (!mates.empty()) continue;
        for (std::size_t g : obstructs[group[pick]])
            if (--obstructedBy[g] == 0) free.insert(members[g].begin(), members[g].end());
    }
    for (std::size_t i : left) order.push_back(&sides_[i]);
    (mirrored ? mirroredOrder_ : directOrder_) = std::move(order);
    return true;
}

bool CSideManager::OrderSides(bool abandonable) {
    if (backend_ == nullptr || !backend_->Available()) {
        // Without a context the sides stay in array order.
        directOrder_.clear();
        for (CSide& side : sides_) directOrder_.push_back(&side);
        mirroredOrder_ = directOrder_;
        return true;
    }
    if (!RunOrdering(false, abandonable)) return false;
    return RunOrdering(true, abandonable);
}
