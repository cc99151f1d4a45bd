// Outcome.cpp: the words of an operation's messages.
#include "Outcome.h"

#include "resources/converter/ConverterStrings.h"

std::string OutcomeMessage::Text() const {
    if (stringId == 0) return text;
    switch (arguments.size()) {
    case 0: return converter::LoadConverterString(stringId);
    case 1: return converter::FormatConverterString(stringId, arguments[0].c_str());
    default: return converter::FormatConverterString(stringId, arguments[0].c_str(), arguments[1].c_str());
    }
}

OutcomeMessage ConverterMessage(std::uint32_t stringId, std::vector<std::string> arguments) {
    OutcomeMessage message;
    message.stringId = stringId;
    message.arguments = std::move(arguments);
    return message;
}

OutcomeMessage TextMessage(std::string text, std::string file, std::string cause) {
    OutcomeMessage message;
    message.text = std::move(text);
    message.file = std::move(file);
    message.cause = std::move(cause);
    return message;
}

Outcome Outcome::Refused(std::uint32_t stringId, std::vector<std::string> arguments) {
    return Refused(ConverterMessage(stringId, std::move(arguments)));
}

Outcome Outcome::Refused(std::string text, std::string file, std::string cause) {
    return Refused(TextMessage(std::move(text), std::move(file), std::move(cause)));
}

Outcome& Outcome::Append(const Outcome& other) {
    done_ = done_ && other.done_;
    messages_.insert(messages_.end(), other.messages_.begin(), other.messages_.end());
    return *this;
}
