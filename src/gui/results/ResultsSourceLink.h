#pragma once

#include <QMetaObject>
#include <QModelIndex>
#include <functional>
#include <vector>

class QAbstractItemModel;
class QObject;

// What a results proxy hears of its source model: rows inserted, where the
// results models only ever append, and any other change (rows inserted in
// the middle or removed, moves, a reset, a new layout, new data), which they
// never make, as a resync to read every row again; and its headers.
class ResultsSourceLink {
public:
    struct Listener {
        std::function<void()> beginResync;
        std::function<void()> endResync;
        // After rows were inserted (a resync begun before them when not appended).
        std::function<void(const QModelIndex& parent, int first, int last)> rowsInserted;
        std::function<void(Qt::Orientation orientation, int first, int last)> headerDataChanged;
    };

    ~ResultsSourceLink() { unlink(); }
    // Follows the source (none: follows nothing), the calls made on `context`'s thread.
    void link(QAbstractItemModel* source, QObject* context, const Listener& listener);
    void unlink();

private:
    std::vector<QMetaObject::Connection> connections_;
};
