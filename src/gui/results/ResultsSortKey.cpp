#include "gui/results/ResultsSortKey.h"

#include <QAbstractItemModel>
#include <QDateTime>

namespace {

const QString& textOf(const QVariant& value) {
    return *static_cast<const QString*>(value.constData());
}

// As Qt's item models order two values shown (by the first one's type).
bool shownLess(const QVariant& left, const QVariant& right) {
    if (left.userType() == QMetaType::UnknownType)
        return false;
    if (right.userType() == QMetaType::UnknownType)
        return true;
    switch (left.userType()) {
    case QMetaType::Int:
        return left.toInt() < right.toInt();
    case QMetaType::UInt:
        return left.toUInt() < right.toUInt();
    case QMetaType::LongLong:
        return left.toLongLong() < right.toLongLong();
    case QMetaType::ULongLong:
        return left.toULongLong() < right.toULongLong();
    case QMetaType::Float:
        return left.toFloat() < right.toFloat();
    case QMetaType::Double:
        return left.toDouble() < right.toDouble();
    case QMetaType::QChar:
        return left.toChar() < right.toChar();
    case QMetaType::QDate:
        return left.toDate() < right.toDate();
    case QMetaType::QTime:
        return left.toTime() < right.toTime();
    case QMetaType::QDateTime:
        return left.toDateTime() < right.toDateTime();
    default:
        // Texts as they are: no copy for the sort's millions of comparisons.
        if (right.userType() == QMetaType::QString)
            return (left.userType() == QMetaType::QString ? textOf(left) : left.toString())
                       .compare(textOf(right), Qt::CaseSensitive) < 0;
        return left.toString().compare(right.toString(), Qt::CaseSensitive) < 0;
    }
}

} // namespace

ResultsSortKey ResultsSortKey::read(const QAbstractItemModel& source, int row, int column,
                                    bool shown) {
    const QModelIndex index = source.index(row, column);
    ResultsSortKey key;
    key.sortValue_ = index.data(kSortRole);
    if (shown || !key.sortValue_.isValid())
        key.shown_ = index.data(Qt::DisplayRole);
    return key;
}

bool ResultsSortKey::operator<(const ResultsSortKey& other) const {
    if (sortValue_.isValid() && other.sortValue_.isValid()) {
        const int type = sortValue_.userType();
        if (type == other.sortValue_.userType()) {
            if (type == QMetaType::LongLong)
                return sortValue_.toLongLong() < other.sortValue_.toLongLong();
            if (type == QMetaType::Int)
                return sortValue_.toInt() < other.sortValue_.toInt();
        }
        return QVariant::compare(sortValue_, other.sortValue_) == QPartialOrdering::Less;
    }
    return shownLess(shown_, other.shown_);
}
