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

} // namespace qm
