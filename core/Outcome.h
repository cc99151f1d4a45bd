// Outcome.h: what an operation came to: done, or stopped, with the messages that say what
// happened. The operation decides and words them; the windows show each in a message box, the
// command line prints each as one line.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One message: a converter text by string ID (with the texts that fill its %s), or a text of
// its own; the file it concerns and the cause, when there are any.
struct OutcomeMessage {
    std::uint32_t stringId = 0;
    std::vector<std::string> arguments;
    std::string text;
    std::string file;
    std::string cause;
    // What the user may read under the message: the cause in words and what to do about it.
    std::string details;

    // The message as the user reads it.
    std::string Text() const;
};

class [[nodiscard]] Outcome {
public:
    static Outcome Done() { return Outcome(true); }
    // Stopped with nothing to say: the user cancelled, or a caller says why.
    static Outcome Stopped() { return Outcome(false); }
    static Outcome Refused(OutcomeMessage message) { return Outcome(false).Then(std::move(message)); }
    static Outcome Refused(std::uint32_t stringId, std::vector<std::string> arguments = {});
    // A text of its own, about file, for cause.
    static Outcome Refused(std::string text, std::string file = {}, std::string cause = {});

    // Another message after those already held.
    Outcome&& Then(OutcomeMessage message) && {
        messages_.push_back(std::move(message));
        return std::move(*this);
    }
    Outcome& Then(OutcomeMessage message) & {
        messages_.push_back(std::move(message));
        return *this;
    }
    // The messages of other, after these; the outcome stays done only while both are.
    Outcome& Append(const Outcome& other);
    // Done, with the messages of other (a step that failed without undoing the whole).
    static Outcome DoneWith(const Outcome& other) {
        Outcome done = Done();
        done.messages_ = other.messages_;
        return done;
    }

    bool Ok() const { return done_; }
    explicit operator bool() const { return done_; }
    const std::vector<OutcomeMessage>& Messages() const { return messages_; }
    bool HasMessages() const { return !messages_.empty(); }

private:
    explicit Outcome(bool done) : done_(done) {}

    bool done_;
    std::vector<OutcomeMessage> messages_;
};

// A message of the converter's texts.
OutcomeMessage ConverterMessage(std::uint32_t stringId, std::vector<std::string> arguments = {});
// A message of its own text.
OutcomeMessage TextMessage(std::string text, std::string file = {}, std::string cause = {});
