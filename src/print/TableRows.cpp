#include "print/TableRows.h"

TableRows::~TableRows() = default;

Qt::Alignment TableRows::alignment(int) const {
    return Qt::AlignLeft;
}

TableRows::Style TableRows::style(std::int64_t, int) const {
    return {};
}

int TableRows::stretchColumn() const {
    return -1;
}

bool TableRows::wraps() const {
    return false;
}

bool TableRows::grouped() const {
    return false;
}

std::int64_t TableRows::group(std::int64_t) const {
    return 0;
}

QString TableRows::groupHeading(std::int64_t) const {
    return {};
}
