#pragma once
// Display lists and textures of the preview (window) context whose deletion
// was requested on a thread that does not own that context. The names are
// collected here and deleted by the scene thread, which owns the context, at
// the start of its next locked section (Drain). A name is never handed out
// again before it is deleted (display-list names come from glGenLists,
// texture names from a counter that only grows), so deleting late is safe.
#include <cstddef>
#include <mutex>
#include <vector>

class GlReleaseQueue {
public:
    void ReleaseList(unsigned name);
    void ReleaseTexture(unsigned name);

    // Deletes the collected names when the calling thread has a current
    // context; otherwise leaves them for a later call.
    void Drain();
    // Forgets the collected names (their context has ended).
    void Discard();

    std::size_t PendingLists() const;
    std::size_t PendingTextures() const;

private:
    mutable std::mutex mutex_;
    std::vector<unsigned> lists_;
    std::vector<unsigned> textures_;
};
