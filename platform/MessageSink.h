#pragma once
// The one way code outside the user interface shows a modal message: a text,
// a caption, an icon and a set of buttons, answered with the button pressed.
// The editor installs a sink that opens a message box; tests install one that
// records the messages and answers as told. Texts are UTF-8.
#include <string>

namespace stampora {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

class CMessageSink {
public:
    virtual ~CMessageSink() = default;
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                                      MessageButtons buttons) = 0;
};

// YesNo asks before something that cannot be taken back (replacing a file):
// its default answer is No.
//
// The process-wide sink. With none installed, messages go to the standard
// error stream and are answered with the set's default: No for YesNo, the
// first button otherwise.
CMessageSink* CurrentMessageSink();
// Installs `sink` (or none) and answers the sink it replaces. The caller keeps
// ownership and must uninstall the sink before destroying it.
CMessageSink* SetMessageSink(CMessageSink* sink);

// Shows a message through the current sink.
MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

// Installs a sink for the lifetime of this object and puts the previous one
// back afterwards.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(CMessageSink& sink) : previous(SetMessageSink(&sink)) {}
    ~ScopedMessageSink() { SetMessageSink(previous); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    CMessageSink* previous;
};

}  // namespace stampora
