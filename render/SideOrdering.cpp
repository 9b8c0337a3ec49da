// The visibility order of the sides. Each candidate side is drawn alone into
// the depth buffer, then all other candidates on top of it; a side none of
// whose pixels is covered by another side is the front-most one left.
#include <algorithm>

#include "render/SideManager.h"

bool CSideManager::Unobstructed(bool abandonable, bool& abandoned) const {
    const std::size_t n = std::min(depthOne_.size(), depthAll_.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (abandonable && i % 100 == 99 && Abandon()) {
            abandoned = true;
            return false;
        }
        const float own = depthOne_[i];
        if (own < 0.999999f && own - depthAll_[i] > 1e-6f) return false;
    }
    return true;
}

bool CSideManager::RunOrdering(bool mirrored, bool abandonable) {
    backend_->BeginRun(mirrored);
    bool abandoned = false;

    std::vector<CSide*> candidates;
    for (CSide& side : sides_) {
        candidates.push_back(&side);
        if (abandonable && side.kind == SIDE_MIRROR && Abandon()) {
            abandoned = true;
            break;
        }
    }

    std::vector<CSide*> order;
    if (!abandoned && !candidates.empty()) {
        do {
            std::size_t picked = candidates.size() - 1;  // the last tried, if none is free
            for (std::size_t x = 0; x < candidates.size() && !abandoned; ++x) {
                picked = x;
                backend_->Focus(*candidates[x]);
                backend_->ClearDepth();
                backend_->DrawSilhouette(*candidates[x]);
                backend_->ReadDepth(depthOne_);
                for (std::size_t y = 0; y < candidates.size() && !abandoned; ++y) {
                    if (y == x) continue;
                    backend_->DrawSilhouette(*candidates[y]);
                    if (abandonable && Abandon()) abandoned = true;
                }
                if (abandoned) break;
                backend_->ReadDepth(depthAll_);
                if (Unobstructed(abandonable, abandoned)) break;
                if (abandonable && !abandoned && Abandon()) abandoned = true;
            }
            if (abandoned) break;
            order.push_back(candidates[picked]);
            candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(picked));
        } while (candidates.size() >= 2);
        if (!abandoned)
            for (CSide* left : candidates) order.push_back(left);
    }
    backend_->ClearDepth();
    backend_->EndRun(mirrored);

    if (abandoned) return false;
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
