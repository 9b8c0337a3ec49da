#include "render/GlReleaseQueue.h"

#include <GL/gl.h>

#include "render/GlCurrent.h"

void GlReleaseQueue::ReleaseList(unsigned name) {
    if (name == 0) return;
    std::lock_guard lock(mutex_);
    lists_.push_back(name);
}

void GlReleaseQueue::ReleaseTexture(unsigned name) {
    if (name == 0) return;
    std::lock_guard lock(mutex_);
    textures_.push_back(name);
}

void GlReleaseQueue::Drain() {
    std::vector<unsigned> lists, textures;
    {
        std::lock_guard lock(mutex_);
        if (lists_.empty() && textures_.empty()) return;
        if (!HasCurrentGlContext()) return;
        lists.swap(lists_);
        textures.swap(textures_);
    }
    for (unsigned name : lists) glDeleteLists(name, 1);
    if (!textures.empty()) glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
}

void GlReleaseQueue::Discard() {
    std::lock_guard lock(mutex_);
    lists_.clear();
    textures_.clear();
}

std::size_t GlReleaseQueue::PendingLists() const {
    std::lock_guard lock(mutex_);
    return lists_.size();
}

std::size_t GlReleaseQueue::PendingTextures() const {
    std::lock_guard lock(mutex_);
    return textures_.size();
}
