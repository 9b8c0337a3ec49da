#include "platform/Reporter.h"

#include <cstdio>

#include "platform/TextUtil.h"

namespace boxora {

void StderrReporter::Report(MsgIcon, const std::string& text) {
    std::fprintf(stderr, "Boxora: %s\n", EscapeForTerminal(text).c_str());
}

}  // namespace boxora
