// boxora-render: the command-line front end of the engine.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "DielineCommand.h"
#include "DumpCommand.h"
#include "PreviewCommand.h"
#include "RenderCommand.h"
#include "TurntableCommand.h"
#include "VariantsCommand.h"
#include "boxora/Version.h"
#include "engine/CollectProject.h"
#include "lang/Messages.h"
#include "platform/TextUtil.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsDielineCommand(args)) return RunDielineCommand(args);
    const CommandLine cl = ParseCommandLine(args);
    if (!cl.error.empty()) {
        std::fprintf(stderr, "boxora-render: %s (try --help)\n", boxora::EscapeForTerminal(cl.error).c_str());
        return 2;
    }
    switch (cl.command) {
        case Command::Help: std::fputs(HelpText().c_str(), stdout); return 0;
        case Command::Version: std::printf("boxora-render %s\n", BOXORA_VERSION_FULL); return 0;
        case Command::Dump: return RunDumpCommand(cl.file, cl.fitImages);
        case Command::Preview: return RunPreviewCommand(cl.preview);
        case Command::Collect: {
            const CollectResult collected = CollectSceneFile(cl.file, cl.collectFolder);
            for (const boxora::UserMessage& m : collected.outcome.messages) {
                // One line per missing file, each shown safely.
                std::string text = boxora::MessageText(m);
                for (std::size_t start = 0, end; start <= text.size(); start = end + 1) {
                    end = std::min(text.find('\n', start), text.size());
                    std::fprintf(stderr, start == 0 ? "boxora-render: %s\n" : "  %s\n",
                                 boxora::EscapeForTerminal(text.substr(start, end - start)).c_str());
                }
            }
            if (!collected.scenePath.empty() && !collected.outcome.failed)
                std::printf("%s: %d file(s) copied\n", collected.scenePath.c_str(), collected.copied);
            return collected.outcome.failed ? 1 : 0;
        }
        case Command::Render:
            if (cl.turntable.frames > 0) return RunTurntableCommand(cl.render, cl.turntable);
            if (!cl.render.variants.empty()) return RunVariantsCommand(cl.render);
            return cl.render.thumbnailSize ? RunThumbnailCommand(cl.render) : RunRenderCommand(cl.render);
        case Command::None: break;
    }
    return 2;
}
