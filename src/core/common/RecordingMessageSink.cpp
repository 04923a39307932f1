#include "core/common/RecordingMessageSink.h"

namespace qm {

MessageAnswer RecordingMessageSink::show(const Message& message) {
    messages.push_back(message);
    if (answers.empty())
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace qm
