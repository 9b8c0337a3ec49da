#pragma once
// Turning the messages of an Outcome into the user's language and showing
// them through the program's notifier.
#include <string>

#include "platform/Outcome.h"

namespace boxora {

// The message's text, its arguments filled in.
std::string MessageText(const UserMessage& message);
// Shows every message of outcome as a message box with an OK button, in
// order.
void RaiseMessages(const Outcome& outcome);

}  // namespace boxora
