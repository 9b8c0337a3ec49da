#pragma once
// Test fixture: a model manager and side manager over one scene's
// parameters, with messages recorded and models written to a temporary
// folder before they are loaded.
#include <gtest/gtest.h>

#include <string>

#include "engine/ModelManager.h"
#include "platform/Notifier.h"
#include "render/GlReleaseQueue.h"
#include "render/SideManager.h"
#include "scene/SceneParams.h"
#include "tests/support/ModelFixtures.h"
#include "tests/support/TestSupport.h"

class LoadedModelsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        boxora::SetNotifier(&notes);
        manager.Textures().SetTextureFolder(dir.File("texture") + "/");
    }
    void TearDown() override { boxora::SetNotifier(nullptr); }

    // Writes the model under the given file name and loads it; returns the
    // object it became.
    boxora::Outcome lastOutcome;  // of the last Load
    C3DObject& Load(const model3ds::Model& m, const std::string& file = "m.3ds") {
        lastOutcome = manager.LoadModelFile(fixtures::WriteModel(dir.File(file), m), true);
        EXPECT_FALSE(lastOutcome.failed);
        return *manager.Model().objects.back();
    }

    boxora::RecordingNotifier notes;
    testsupport::TempDir dir;
    SceneParams params;
    GlReleaseQueue releaseQueue;
    CModelManager manager{releaseQueue};
    CSideManager sides{manager.Model(), releaseQueue};
};
