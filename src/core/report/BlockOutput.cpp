#include "core/report/BlockOutput.h"

namespace qm {

BlockOutput::BlockOutput(std::ostream& out)
    : out_(out) {
    text_.reserve(kBlock + 1024);
}

BlockOutput::~BlockOutput() {
    flush();
}

void BlockOutput::flush() {
    if (!text_.empty())
        out_.write(text_.data(), std::streamsize(text_.size()));
    text_.clear();
}

} // namespace qm
