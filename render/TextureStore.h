#pragma once
// The textures of the scene's materials. A material's texture lives in both
// OpenGL contexts under the same name, found in the texture-name table by
// material index. Names come from a counter that only grows (the first is
// 1) and are never reused.
//
// TextureLoad resolves an image path and, on a worker thread, gives the
// material a new name and uploads the image into the current context. On the
// user-interface thread, which owns no context, it only records the image:
// the scene thread uploads it at its next turn (UploadPendingTextures). The
// all-textures list keeps one record per material index so that every
// texture can be uploaded again into the offscreen context of a render job
// (the scene snapshot's artwork).
//
// Each context has a texture memory budget. A texture that would take the
// context beyond it is shrunk to what is left (or left without pixels),
// and the "Common"/"texturebudget" warning says so once per upload pass.
// Messages travel in the outcomes of the uploads; the caller shows them.
//
// Everything here runs with the engine lock held, except the uploads of a
// render job's copies.
#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "image/SharedImage.h"
#include "platform/Outcome.h"
#include "snapshot/SceneSnapshot.h"

class GlReleaseQueue;
struct TexturePixels;

// Texture memory one context may hold (texels at four bytes with mipmaps).
// The message for an image that could not be decoded, with the decoder's
// reason when it gave one.
boxora::UserMessage UnreadableImage(const std::string& path, const std::string& why);

constexpr std::size_t kTextureBudgetBytes = std::size_t{768} << 20;

constexpr int kTextureSlots = 256;
using TextureNameTable = std::array<uint32_t, kTextureSlots>;

struct TEXTURE {
    std::string path;  // resolved full path
    int format = 0;    // ImageFormat code
    int index = 0;     // material index
};

// Which thread calls: the user-interface thread, the scene thread (owner of
// the preview context) or another one (the render thread).
enum class ThreadRole { Ui, Scene, Other };

class CTextureStore {
public:
    CTextureStore(TextureNameTable& names, GlReleaseQueue& releaseQueue);

    void SetThreadRole(std::function<ThreadRole()> role) { role_ = std::move(role); }
    // Folder tried for bare names and missing paths; TextureFolder() unless set.
    void SetTextureFolder(std::string folder) { textureFolder_ = std::move(folder); }
    void SetTextureBudget(std::size_t bytes) { budget_ = bytes; }
    // The folder of the scene file being loaded (empty otherwise): an image
    // that is not found where its path says is looked for there by its file
    // name, so a project moved together with its art still finds it.
    void SetSceneFolder(std::string folder) { sceneFolder_ = std::move(folder); }
    const std::string& SceneFolder() const { return sceneFolder_; }
    // Images that could not be decoded are reported once each; after this
    // they are reported again (a scene is opened anew).
    void ForgetReportedImages() {
        reportedUnreadable_.clear();
        budgetNoted_ = false;
    }
    // Set where no preview decodes the images first (a headless engine):
    // a render job's upload then fails its outcome ("Common"/
    // "textunreadable") for each image that gives no pixels.
    void SetJobsReportUnreadable(bool report) { jobsReportUnreadable_ = report; }
    bool JobsReportUnreadable() const { return jobsReportUnreadable_; }

    // Loads the image at path as the texture of material index. path is
    // rewritten to the resolved full path, or to "*" (with the
    // "Common"/"textnotfound" message in the outcome) when no file is
    // found; an empty path does nothing. Indices outside the table get no
    // texture. A file that cannot be decoded fails the outcome
    // ("Common"/"textunreadable") when it is decoded, once per file.
    boxora::Outcome TextureLoad(std::string& path, int index);

    // Scene thread: uploads the recorded images of the user-interface
    // thread into the current context.
    boxora::Outcome UploadPendingTextures();
    // Scene thread, in a context made anew: uploads every recorded texture
    // into it under its name; the lists stay as they are.
    boxora::Outcome ReuploadAllTextures();

    // The textures of a render job: the artwork of a scene snapshot under
    // names of the job's own (the job's context holds nothing else of the
    // scene). The job decodes and uploads it into its own context without
    // the engine lock, so the scene may load, replace or drop textures
    // meanwhile.
    struct JobTextures {
        std::vector<std::pair<int, boxora::SharedImagePtr>> images;  // material index, artwork
        TextureNameTable names{};
        std::size_t budget = kTextureBudgetBytes;
        bool reportUnreadable = false;
    };
    static JobTextures JobTexturesOf(const SceneSnapshot& snapshot, std::size_t budget, bool reportUnreadable);
    // Render thread: uploads them into the current context; stop is
    // consulted before each texture and leaves the rest out once true.
    static boxora::Outcome UploadJobTextures(const JobTextures& textures, const std::function<bool()>& stop);
    // Render thread, after the job: deletes them from its context.
    static void DeleteJobTextures(const JobTextures& textures);

    // Gives up the texture of a material index: the name is released in the
    // preview context (later, by the scene thread) and its table entry
    // becomes 0.
    void ReleaseTexture(int index);
    // Drops the records of a material index from both lists (its object is
    // gone).
    void ForgetIndex(int index);

    const std::list<TEXTURE>& AllTextures() const { return all_; }
    const std::list<TEXTURE>& PendingTextures() const { return pending_; }
    uint32_t LastName() const { return counter_; }
    TextureNameTable& Names() { return names_; }
    std::size_t Budget() const { return budget_; }

private:
    ThreadRole Role() const { return role_ ? role_() : ThreadRole::Ui; }
    static void Replace(std::list<TEXTURE>& list, const TEXTURE& record);
    uint32_t NewName() { return ++counter_; }
    // Decodes for the current context within its side limit and the budget
    // left after `used` bytes; adds the texture's bytes to used.
    // report: a file that gives no pixels adds the "Common"/"textunreadable"
    // failure to it once (on first uploads, not on copies for a context
    // made anew).
    TexturePixels DecodeWithinBudget(const TEXTURE& record, std::size_t& used, bool& shrunk, boxora::Outcome* report);
    // Shrinks decoded pixels to what is left of budget after used bytes.
    static void FitBudget(TexturePixels& pixels, std::size_t budget, std::size_t& used, bool& shrunk);
    static void NoteBudget(boxora::Outcome& outcome, bool shrunk, std::size_t budget);
    void NoteBudgetOnce(boxora::Outcome& outcome, bool shrunk);
    std::size_t SceneBytesBesides(int index) const;

    TextureNameTable& names_;
    GlReleaseQueue& releaseQueue_;
    std::function<ThreadRole()> role_;
    std::string textureFolder_;
    std::size_t budget_ = kTextureBudgetBytes;
    // Bytes of each material's texture in the scene thread's context.
    std::map<int, std::size_t> sceneBytes_;
    std::string sceneFolder_;
    std::set<std::string> reportedUnreadable_;
    bool budgetNoted_ = false;  // the budget warning was given for this scene
    bool jobsReportUnreadable_ = false;
    uint32_t counter_ = 0;
    std::list<TEXTURE> all_;
    std::list<TEXTURE> pending_;
};
