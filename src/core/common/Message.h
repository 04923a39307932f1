#pragma once

#include <string>

namespace qm {

enum class MessageIcon { None, Critical, Exclamation, Information };
enum class MessageButtons { Ok, RetryCancel, YesNo };
enum class MessageAnswer { Ok, Retry, Cancel, Yes, No };

// A message the system shows the user: the GUI turns it into a modal message
// box, the command-line tool into a line on standard error.
struct Message {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

const char* iconName(MessageIcon icon);
// The answer of a box closed without a choice (Escape): OK where that is the
// only button, No for a question, Cancel otherwise.
MessageAnswer closedAnswer(MessageButtons buttons);

} // namespace qm
