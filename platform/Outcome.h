#pragma once
// What an operation that can fail hands back: whether it failed and the
// messages it has for the user, in order. The operation itself shows
// nothing; whoever called it decides whether and when the user sees the
// messages (the engine raises them as message boxes, boxora-render takes
// its exit status from them, tests look at them directly).
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Reporter.h"

namespace boxora {

// A message for the user: the text of key in section of the language file
// with its %s arguments, or fallback when the language file has none (a
// message with an empty key always uses fallback).
struct UserMessage {
    std::string section;
    std::string key;
    std::string fallback;
    std::vector<std::string> args;
    MsgIcon icon = MsgIcon::Error;
};

struct Outcome {
    bool failed = false;
    std::vector<UserMessage> messages;

    static Outcome Failure(UserMessage message) {
        Outcome o;
        o.Fail(std::move(message));
        return o;
    }
    // Adds a message; the outcome becomes a failure.
    void Fail(UserMessage message) {
        failed = true;
        messages.push_back(std::move(message));
    }
    // Adds a message that does not make the outcome a failure (a warning).
    void Note(UserMessage message) { messages.push_back(std::move(message)); }
    // Takes over other's messages but not its failure (a part that may fail
    // without failing the whole).
    void MergeMessages(Outcome other) {
        for (UserMessage& m : other.messages) messages.push_back(std::move(m));
    }
    // Takes over other's messages, and its failure.
    void Merge(Outcome other) {
        failed = failed || other.failed;
        for (UserMessage& m : other.messages) messages.push_back(std::move(m));
    }
    // How many of the messages are errors (not warnings or notes).
    std::size_t ErrorCount() const {
        std::size_t n = 0;
        for (const UserMessage& m : messages) n += m.icon == MsgIcon::Error ? 1 : 0;
        return n;
    }
};

}  // namespace boxora
