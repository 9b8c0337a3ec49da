#include "render/TextureStore.h"

#include <algorithm>

#include "image/ImageFormat.h"
#include "image/ImageReduce.h"
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

boxora::UserMessage UnreadableImage(const std::string& path, const std::string& why) {
    if (why.empty()) return {"Common", "textunreadable", "The image file \"%s\" could not be read.", {path}};
    return {"Common", "textunreadablewhy", "The image file \"%s\" could not be read: %s.", {path, why}};
}

TexturePixels CTextureStore::DecodeWithinBudget(const TEXTURE& record, std::size_t& used, bool& shrunk,
                                                boxora::Outcome* report) {
    TexturePixels pixels = DecodeTexturePixels(record.path, record.format, TextureSideLimit(), VectorArtSide());
    if (!pixels.bgr.empty()) {
        reportedUnreadable_.erase(record.path);  // reported again should it break later
    } else if (report && reportedUnreadable_.insert(record.path).second) {
        report->Fail(UnreadableImage(record.path, pixels.why));
    }
    FitBudget(pixels, budget_, used, shrunk);
    return pixels;
}

void CTextureStore::FitBudget(TexturePixels& pixels, std::size_t budget, std::size_t& used, bool& shrunk) {
    std::size_t bytes = TextureBytes(pixels.width, pixels.height);
    if (used + bytes > budget && bytes > 0) {
        shrunk = true;
        const std::size_t left = budget > used ? budget - used : 0;
        // Halving both sides quarters the bytes.
        uint32_t side = static_cast<uint32_t>(std::max(pixels.width, pixels.height));
        while (side > 1 && bytes > left) {
            side /= 2;
            bytes /= 4;
        }
        if (bytes > left || bytes == 0) {
            pixels = TexturePixels{};
        } else {
            imagecodec::ImageData image;
            image.width = static_cast<uint32_t>(pixels.width);
            image.height = static_cast<uint32_t>(pixels.height);
            image.pixels = std::move(pixels.bgr);
            imagecodec::ReduceToFit(image, side);
            pixels.width = static_cast<int>(image.width);
            pixels.height = static_cast<int>(image.height);
            pixels.bgr = std::move(image.pixels);
        }
        bytes = TextureBytes(pixels.width, pixels.height);
    }
    used += bytes;
}

void CTextureStore::NoteBudget(boxora::Outcome& outcome, bool shrunk, std::size_t budget) {
    if (!shrunk) return;
    outcome.Note({"Common",
                  "texturebudget",
                  "The pictures of this scene need more than %s MB of texture memory; some are shown at a lower "
                  "resolution.",
                  {std::to_string(budget >> 20)},
                  boxora::MsgIcon::Warning});
}

void CTextureStore::NoteBudgetOnce(boxora::Outcome& outcome, bool shrunk) {
    // Said once per scene, not once per face that had to shrink.
    if (!shrunk || budgetNoted_) return;
    budgetNoted_ = true;
    NoteBudget(outcome, shrunk, budget_);
}

std::size_t CTextureStore::SceneBytesBesides(int index) const {
    std::size_t sum = 0;
    for (const auto& [i, bytes] : sceneBytes_)
        if (i != index) sum += bytes;
    return sum;
}

boxora::Outcome CTextureStore::TextureLoad(std::string& path, int index) {
    if (path.empty()) return {};
    const std::string folder = textureFolder_.empty() ? boxora::TextureFolder() : textureFolder_;
    // A project names its own files relative to its folder; those come
    // before the program's textures of the same name.
    std::optional<std::string> resolved = ResolveInSceneFolder(path, sceneFolder_);
    if (!resolved) resolved = ResolveTexturePath(path, folder);
    if (!resolved && !sceneFolder_.empty()) resolved = FindBesideScene(path, sceneFolder_);
    if (!resolved) {
        boxora::Outcome missing =
            boxora::Outcome::Failure({"Common", "textnotfound", "Texture file not found: %s", {path}});
        path = "*";
        return missing;
    }
    path = *resolved;
    if (index < 0 || index >= kTextureSlots) return {};  // no slot for it

    const TEXTURE record{path, FormatFromExtension(path), index};
    const ThreadRole role = Role();
    boxora::Outcome outcome;
    if (role != ThreadRole::Ui) {
        const uint32_t name = NewName();
        names_[index] = name;
        if (HasCurrentGlContext()) {
            std::size_t used = role == ThreadRole::Scene ? SceneBytesBesides(index) : 0;
            const std::size_t before = used;
            bool shrunk = false;
            UploadTexture(name, DecodeWithinBudget(record, used, shrunk, &outcome));
            if (role == ThreadRole::Scene) sceneBytes_[index] = used - before;
            NoteBudgetOnce(outcome, shrunk);
        }
    }
    if (role == ThreadRole::Ui) {
        Replace(all_, record);
        Replace(pending_, record);
    } else if (role == ThreadRole::Scene) {
        Replace(all_, record);
    }
    return outcome;
}

boxora::Outcome CTextureStore::UploadPendingTextures() {
    const bool gl = HasCurrentGlContext();
    bool shrunk = false;
    boxora::Outcome outcome;
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
        std::size_t used = SceneBytesBesides(record.index);
        const std::size_t before = used;
        UploadTexture(name, DecodeWithinBudget(record, used, shrunk, &outcome));
        sceneBytes_[record.index] = used - before;
    }
    NoteBudgetOnce(outcome, shrunk);
    return outcome;
}

boxora::Outcome CTextureStore::ReuploadAllTextures() {
    boxora::Outcome outcome;
    if (!HasCurrentGlContext()) return outcome;
    sceneBytes_.clear();
    std::size_t used = 0;
    bool shrunk = false;
    for (const TEXTURE& record : all_) {
        if (record.index < 0 || record.index >= kTextureSlots || names_[record.index] == 0) continue;
        const std::size_t before = used;
        UploadTexture(names_[record.index], DecodeWithinBudget(record, used, shrunk, nullptr));
        sceneBytes_[record.index] = used - before;
    }
    NoteBudgetOnce(outcome, shrunk);
    return outcome;
}

CTextureStore::JobTextures CTextureStore::JobTexturesOf(const SceneSnapshot& snapshot, std::size_t budget,
                                                        bool reportUnreadable) {
    JobTextures textures;
    textures.budget = budget;
    textures.reportUnreadable = reportUnreadable;
    for (const boxora::MaterialSnapshot& m : snapshot.materials) {
        if (!m.image || m.index < 0 || m.index >= kTextureSlots) continue;
        textures.images.emplace_back(m.index, m.image);
        textures.names[m.index] = static_cast<uint32_t>(m.index) + 1;
    }
    return textures;
}

boxora::Outcome CTextureStore::UploadJobTextures(const JobTextures& textures, const std::function<bool()>& stop) {
    boxora::Outcome outcome;
    if (!HasCurrentGlContext()) return outcome;
    std::size_t used = 0;
    bool shrunk = false;
    for (const auto& [index, image] : textures.images) {
        if (stop && stop()) return outcome;
        // A file read fine at the preview's size can still fail at the
        // picture's (a drawing out of time at a print size): a blank face
        // is no picture, so the job says so and its caller decides. Where a
        // preview decoded the images first it has named those that failed.
        std::string why;
        const auto decoded = image->Pixels(TextureSideLimit(), VectorArtSide(), &why);
        if (decoded->pixels.empty()) {
            if (textures.reportUnreadable)
                outcome.Fail(UnreadableImage(image->Path(), why));
            else
                outcome.failed = true;
            continue;
        }
        const int width = static_cast<int>(decoded->width), height = static_cast<int>(decoded->height);
        if (used + TextureBytes(width, height) <= textures.budget) {
            used += TextureBytes(width, height);
            UploadTexture(textures.names[index], width, height, decoded->pixels.data());
            continue;
        }
        // Shared pixels stay as they are: the shrinking works on a copy.
        TexturePixels pixels{width, height, decoded->pixels};
        FitBudget(pixels, textures.budget, used, shrunk);
        UploadTexture(textures.names[index], pixels);
    }
    NoteBudget(outcome, shrunk, textures.budget);
    return outcome;
}

void CTextureStore::DeleteJobTextures(const JobTextures& textures) {
    if (!HasCurrentGlContext()) return;
    for (const auto& [index, image] : textures.images) DeleteTexture(textures.names[index]);
}

void CTextureStore::ReleaseTexture(int index) {
    if (index < 0 || index >= kTextureSlots) return;
    releaseQueue_.ReleaseTexture(names_[index]);
    names_[index] = 0;
    sceneBytes_.erase(index);
}

void CTextureStore::ForgetIndex(int index) {
    all_.remove_if([index](const TEXTURE& t) { return t.index == index; });
    pending_.remove_if([index](const TEXTURE& t) { return t.index == index; });
    sceneBytes_.erase(index);
}
