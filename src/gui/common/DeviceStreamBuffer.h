#pragma once

#include <streambuf>

class QIODevice;

// Lets the engine's writers, which write to a std::ostream, write straight
// into a file: a claim of huge records or a long export is never held as
// text in memory. A write the device refuses fails the stream.
class DeviceStreamBuffer : public std::streambuf {
public:
    explicit DeviceStreamBuffer(QIODevice& device);

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    QIODevice& device_;
    char buffer_[64 * 1024];
};
