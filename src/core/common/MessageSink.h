#pragma once

#include "core/common/Message.h"

namespace qm {

// Where core operations hand the messages they show; returns the button pressed.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(const Message& message) = 0;
};

} // namespace qm
