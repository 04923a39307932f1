#pragma once

#include "core/common/MessageSink.h"

#include <deque>
#include <vector>

namespace qm {

// Keeps every message shown and answers from a queue of preset answers (when
// the queue is empty, as a box closed without a choice: closedAnswer): for tests and for tools that
// print messages afterwards.
class RecordingMessageSink : public MessageSink {
public:
    MessageAnswer show(const Message& message) override;

    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
};

} // namespace qm
