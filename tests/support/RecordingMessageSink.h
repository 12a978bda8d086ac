#pragma once
// A message sink for tests: keeps every message shown and answers with a
// chosen button.
#include <string>
#include <vector>

#include "platform/MessageSink.h"

using namespace stampora;

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
};

class RecordingMessageSink : public CMessageSink {
public:
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        return answer;
    }

    std::vector<RecordedMessage> messages;
    MessageAnswer answer = MessageAnswer::Ok;
};
