#include "lang/Messages.h"

#include "lang/Lng.h"
#include "platform/Notifier.h"
#include "platform/TextUtil.h"

namespace boxora {

std::string MessageText(const UserMessage& message) {
    std::string format;
    if (!message.key.empty()) format = Lng().GetText(message.section, message.key);
    if (format.empty()) format = message.fallback;
    return message.args.empty() ? format : FormatText(format, message.args);
}

void RaiseMessages(const Outcome& outcome, IReporter& reporter) {
    for (const UserMessage& m : outcome.messages) reporter.Report(m.icon, MessageText(m));
}

void RaiseMessages(const Outcome& outcome) {
    for (const UserMessage& m : outcome.messages) Notifier().ShowMessage(MessageText(m), m.icon, MsgButtons::Ok);
}

}  // namespace boxora
