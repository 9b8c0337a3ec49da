#include "TurntableCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "HeadlessSession.h"
#include "RenderCommand.h"
#include "engine/Engine.h"
#include "platform/TextUtil.h"
#include "project/TurntableWriter.h"

namespace {

std::string Shown(const std::string& name) { return boxora::EscapeForTerminal(name); }

// 0 written, 1 failed (said why), 130 interrupted.
int RenderTurntable(HeadlessSession& session, const RenderOptions& render, const TurntableOptions& turntable) {
    const RenderTarget& target = render.targets.front();
    std::string why;
    if (const int status = session.LoadScene(target.scene, render.fitImages, why); status != 0) {
        if (status == 1) session.Say(why);
        return status;
    }
    CEngine& engine = *session.Engine();
    if (render.transparent) engine.Params().backgroundTransparent = true;
    boxora::TurntableSettings s;
    s.output = target.output;
    s.frames = turntable.frames;
    s.width = render.width;
    s.height = render.height;
    s.fps = turntable.fps;
    s.vertical = turntable.vertical;
    s.transparent = engine.Params().backgroundTransparent;
    s.quality = render.jpegQuality;
    s.lossless = render.webpLossless != 0;
    if (render.seed) s.seed = static_cast<uint32_t>(*render.seed);
    s.stillFormat =
        render.format.value_or(ExportFormatFromFileName(boxora::NumberedName(target.output, 0)).value_or(FORMAT_PNG));
    s.pngInterlace = render.pngInterlace;
    s.jpegOptions = render.jpegOptions;
    s.gifCompression = render.gifCompression;
    s.tiffCompression = render.tiffCompression;
    s.requireImages = !render.allowMissing;
    engine.Params().outputFormat = s.stillFormat;
    const std::string label = std::filesystem::path(target.output).filename().string();
    boxora::TurntableCallbacks callbacks;
    callbacks.cancelled = [&session] { return session.Interrupted(); };
    callbacks.progress = [&](int done, int total) {
        session.Reporter().SetLabel(label + " " + std::to_string(std::min(done + 1, total)) + "/" +
                                    std::to_string(total));
    };
    callbacks.progress(0, s.frames);
    const boxora::TurntableResult result = boxora::RenderTurntable(engine, engine.Params(), s, callbacks);
    session.Reporter().EndBar();
    switch (result.status) {
        case boxora::TurntableResult::Status::Written:
            if (session.ShowsProgress())
                std::fprintf(stderr, "boxora-render: wrote %s (%d frames, %d x %d)\n", Shown(target.output).c_str(),
                             s.frames, s.width, s.height);
            return 0;
        case boxora::TurntableResult::Status::Cancelled: return HeadlessSession::kInterrupted;
        case boxora::TurntableResult::Status::Failed: break;
    }
    session.Say(target.output + ": " + result.error + "; nothing written");
    return 1;
}

}  // namespace

int RunTurntableCommand(const RenderOptions& render, const TurntableOptions& turntable) {
    HeadlessSession session(render);
    return session.Finish(RenderTurntable(session, render, turntable));
}
