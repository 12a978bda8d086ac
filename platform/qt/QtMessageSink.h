#pragma once
// Shows the system's messages as Qt message boxes over the active window.
#include "platform/MessageSink.h"

namespace stampora {

class QtMessageSink : public CMessageSink {
public:
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
};

}  // namespace stampora
