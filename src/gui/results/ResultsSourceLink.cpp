#include "gui/results/ResultsSourceLink.h"

#include <QAbstractItemModel>

void ResultsSourceLink::unlink() {
    for (const QMetaObject::Connection& connection : connections_)
        QObject::disconnect(connection);
    connections_.clear();
}

void ResultsSourceLink::link(QAbstractItemModel* source, QObject* context,
                             const Listener& listener) {
    unlink();
    if (!source)
        return;
    auto& connections = connections_;
    connections.push_back(QObject::connect(
        source, &QAbstractItemModel::rowsAboutToBeInserted, context,
        [source, begin = listener.beginResync](const QModelIndex& parent, int first) {
            if (parent.isValid() || first < source->rowCount())
                begin();
        }));
    connections.push_back(QObject::connect(source, &QAbstractItemModel::rowsInserted, context,
                                           listener.rowsInserted));
    for (auto signal :
         {&QAbstractItemModel::rowsAboutToBeRemoved, &QAbstractItemModel::columnsAboutToBeInserted,
          &QAbstractItemModel::columnsAboutToBeRemoved})
        connections.push_back(QObject::connect(source, signal, context, listener.beginResync));
    for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::columnsInserted,
                        &QAbstractItemModel::columnsRemoved})
        connections.push_back(QObject::connect(source, signal, context, listener.endResync));
    for (auto signal :
         {&QAbstractItemModel::rowsAboutToBeMoved, &QAbstractItemModel::columnsAboutToBeMoved})
        connections.push_back(QObject::connect(source, signal, context, listener.beginResync));
    for (auto signal : {&QAbstractItemModel::rowsMoved, &QAbstractItemModel::columnsMoved})
        connections.push_back(QObject::connect(source, signal, context, listener.endResync));
    connections.push_back(QObject::connect(source, &QAbstractItemModel::modelAboutToBeReset,
                                           context, listener.beginResync));
    connections.push_back(
        QObject::connect(source, &QAbstractItemModel::modelReset, context, listener.endResync));
    connections.push_back(QObject::connect(source, &QAbstractItemModel::layoutAboutToBeChanged,
                                           context, listener.beginResync));
    connections.push_back(
        QObject::connect(source, &QAbstractItemModel::layoutChanged, context, listener.endResync));
    // New data may move rows of a sort or a filter: read again as a whole.
    connections.push_back(
        QObject::connect(source, &QAbstractItemModel::dataChanged, context,
                         [begin = listener.beginResync, end = listener.endResync] {
                             begin();
                             end();
                         }));
    connections.push_back(QObject::connect(source, &QAbstractItemModel::headerDataChanged, context,
                                           listener.headerDataChanged));
}
