#include "gui/common/DeviceStreamBuffer.h"

#include <QIODevice>

DeviceStreamBuffer::DeviceStreamBuffer(QIODevice& device)
    : device_(device) {
    setp(buffer_, buffer_ + sizeof buffer_);
}

DeviceStreamBuffer::int_type DeviceStreamBuffer::overflow(int_type c) {
    if (sync() != 0)
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DeviceStreamBuffer::sync() {
    const qint64 size = pptr() - pbase();
    if (size > 0 && device_.write(pbase(), size) != size)
        return -1;
    setp(buffer_, buffer_ + sizeof buffer_);
    return 0;
}
