#include "core/common/Message.h"

namespace qm {

const char* iconName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return "critical";
    case MessageIcon::Exclamation:
        return "exclamation";
    case MessageIcon::Information:
        return "information";
    case MessageIcon::None:
        break;
    }
    return "none";
}

MessageAnswer closedAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::RetryCancel:
        break;
    }
    return MessageAnswer::Cancel;
}

} // namespace qm
