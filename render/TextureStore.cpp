#include "render/TextureStore.h"

#include "image/ImageFormat.h"
#include "platform/AppPaths.h"
#include "platform/TextUtil.h"
#include "render/GlCurrent.h"
#include "render/GlReleaseQueue.h"
#include "render/TexturePath.h"
#include "render/TextureUpload.h"

CTextureStore::CTextureStore(TextureNameTable& names, GlReleaseQueue& releaseQueue)
    : names_(names), releaseQueue_(releaseQueue) {}

void CTextureStore::Replace(std::list<TEXTURE>& list, const TEXTURE& record) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->index == record.index) {
            list.erase(it);
            break;
        }
    }
    list.push_back(record);
}

boxora::Outcome CTextureStore::TextureLoad(std::string& path, int index) {
    if (path.empty()) return {};
    const std::string folder = textureFolder_.empty() ? boxora::TextureFolder() : textureFolder_;
    const std::optional<std::string> resolved = ResolveTexturePath(path, folder);
    if (!resolved) {
        boxora::Outcome missing = boxora::Outcome::Failure({"Common", "textnotfound", "Texture file not found: %s", {path}});
        path = "*";
        return missing;
    }
    path = *resolved;
    if (index < 0 || index >= kTextureSlots) return {};  // no slot for it

    const TEXTURE record{path, FormatFromExtension(path), index};
    const ThreadRole role = Role();
    if (role != ThreadRole::Ui) {
        const uint32_t name = NewName();
        names_[index] = name;
        if (HasCurrentGlContext()) UploadTexture(name, DecodeTexturePixels(record.path, record.format));
    }
    if (role == ThreadRole::Ui) {
        Replace(all_, record);
        Replace(pending_, record);
    } else if (role == ThreadRole::Scene) {
        Replace(all_, record);
    }
    return {};
}

void CTextureStore::UploadPendingTextures() {
    const bool gl = HasCurrentGlContext();
    while (!pending_.empty()) {
        const TEXTURE record = pending_.front();
        pending_.pop_front();
        if (record.index < 0 || record.index >= kTextureSlots) continue;
        // A material that never had a texture gets a name of its own, so that
        // two such materials never share one texture object.
        if (names_[record.index] == 0) names_[record.index] = NewName();
        const uint32_t name = names_[record.index];
        if (!gl) continue;
        DeleteTexture(name);
        UploadTexture(name, DecodeTexturePixels(record.path, record.format));
    }
}

void CTextureStore::ReuploadAllTextures() {
    if (!HasCurrentGlContext()) return;
    for (const TEXTURE& record : all_) {
        if (record.index < 0 || record.index >= kTextureSlots || names_[record.index] == 0) continue;
        UploadTexture(names_[record.index], DecodeTexturePixels(record.path, record.format));
    }
}

void CTextureStore::DeleteReuploadedTextures() {
    if (!HasCurrentGlContext()) return;
    for (const TEXTURE& record : all_) {
        if (record.index < 0 || record.index >= kTextureSlots || names_[record.index] == 0) continue;
        DeleteTexture(names_[record.index]);
    }
}

void CTextureStore::ReleaseTexture(int index) {
    if (index < 0 || index >= kTextureSlots) return;
    releaseQueue_.ReleaseTexture(names_[index]);
    names_[index] = 0;
}

void CTextureStore::ForgetIndex(int index) {
    all_.remove_if([index](const TEXTURE& t) { return t.index == index; });
    pending_.remove_if([index](const TEXTURE& t) { return t.index == index; });
}
