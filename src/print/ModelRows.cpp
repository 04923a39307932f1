#include "print/ModelRows.h"

#include <QAbstractItemModel>

ModelRows::ModelRows(const QAbstractItemModel& model, std::vector<int> columns)
    : model_(&model)
    , columns_(std::move(columns)) {
    if (columns_.empty())
        for (int c = 0; c < model.columnCount(); ++c)
            columns_.push_back(c);
}

TableDocument::Section ModelRows::section(const QString& title,
                                          std::vector<TableDocument::Line> lines) const {
    return {title, std::move(lines), this};
}

int ModelRows::columnCount() const {
    return int(columns_.size());
}

QString ModelRows::header(int column) const {
    return model_ ? model_->headerData(columns_[std::size_t(column)], Qt::Horizontal).toString()
                  : QString();
}

std::int64_t ModelRows::rowCount() const {
    return model_ ? model_->rowCount() : 0;
}

QString ModelRows::cell(std::int64_t row, int column) const {
    // A model gone, or shorter than it was, prints empty cells.
    if (!model_ || row >= model_->rowCount())
        return QString();
    return model_->index(int(row), columns_[std::size_t(column)]).data().toString();
}

Qt::Alignment ModelRows::alignment(int column) const {
    if (!model_ || model_->rowCount() == 0)
        return Qt::AlignLeft;
    // As the first row aligns its cell.
    const QVariant align =
        model_->index(0, columns_[std::size_t(column)]).data(Qt::TextAlignmentRole);
    return align.isValid() && (align.toInt() & Qt::AlignRight) ? Qt::AlignRight : Qt::AlignLeft;
}
