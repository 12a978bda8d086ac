#include "platform/MessageSink.h"

#include <cstdio>

namespace stampora {

namespace {

CMessageSink* currentSink = nullptr;

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::RetryCancel:
            return MessageAnswer::Retry;
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            break;
    }
    return MessageAnswer::Ok;
}

}  // namespace

CMessageSink* CurrentMessageSink() {
    return currentSink;
}

CMessageSink* SetMessageSink(CMessageSink* sink) {
    CMessageSink* previous = currentSink;
    currentSink = sink;
    return previous;
}

MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) {
    if (currentSink) return currentSink->ShowMessage(text, caption, icon, buttons);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return DefaultAnswer(buttons);
}

}  // namespace stampora
