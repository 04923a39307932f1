#pragma once

#include <string>

namespace qm {

enum class MessageIcon { None, Critical, Exclamation, Information };
enum class MessageButtons { Ok, RetryCancel };
enum class MessageAnswer { Ok, Retry, Cancel };

// A message the system shows the user: the GUI turns it into a modal message
// box, the command-line tool into a line on standard error.
struct Message {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

const char* iconName(MessageIcon icon);

} // namespace qm
