#pragma once
// IRenderHost: what the renderer needs from the one who owns the scene (the
// engine): its settings, objects, sides and textures, its lock, its viewport
// and progress, and whether a frame should go on. The renderer is made for a
// host and never sees more of it.
#include <string>

#include "model/ModelTypes.h"
#include "platform/Outcome.h"
#include "platform/ReentrantLock.h"
#include "render/TextureStore.h"
#include "scene/SceneParams.h"
#include "snapshot/SceneSnapshot.h"

class CSideManager;

class IRenderHost {
public:
    virtual ~IRenderHost() = default;
    virtual SceneParams& Params() = 0;
    // The scene as it is now, as an immutable snapshot (never null): what a
    // render job draws, without the lock.
    virtual SceneSnapshotPtr PublishScene() = 0;
    virtual SceneModel& SceneObjects() = 0;
    virtual TextureNameTable& TextureNames() = 0;
    virtual CSideManager& Sides() = 0;
    virtual CTextureStore& Textures() = 0;
    virtual ReentrantLock& Lock() = 0;
    // Sets the viewport of the frames that follow (the engine's Resize).
    virtual void Resize(int width, int height) = 0;
    // Whether a full frame goes on, given the previous step's result.
    virtual bool ContinueCondition(bool previousResult) const = 0;
    // The program is closing: a render job stops early and writes nothing.
    virtual bool RenderAbortRequested() const = 0;
    virtual void ReportProgress(float value) = 0;
    // Hands the messages of outcome to the host's reporter; the renderer
    // shows nothing itself.
    virtual void Report(const boxora::Outcome& outcome) = 0;
    virtual void AddProgress(float delta) = 0;
    // The name the picture of the job in progress is to be written under
    // now, and the note that it was written under that name.
    virtual std::string RenderOutputName(const std::string& requested) = 0;
    virtual void FinishRenderOutput(const std::string& written) = 0;
};
