#include "core/common/RecordingMessageSink.h"

namespace qm {

MessageAnswer RecordingMessageSink::show(const Message& message) {
    messages.push_back(message);
    if (answers.empty())
        return closedAnswer(message.buttons);
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace qm
