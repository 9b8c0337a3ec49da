#pragma once
// Turning the messages of an Outcome into the user's language and showing
// them through the program's notifier.
#include <string>

#include "platform/Outcome.h"

namespace boxora {

// The message's text, its arguments filled in.
std::string MessageText(const UserMessage& message);
// Hands every message of outcome to reporter, in order.
void RaiseMessages(const Outcome& outcome, IReporter& reporter);
// The front ends' shorthand: every message as a message box of the
// program-wide notifier.
void RaiseMessages(const Outcome& outcome);

}  // namespace boxora
