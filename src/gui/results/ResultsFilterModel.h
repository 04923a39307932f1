#pragma once

#include <QSortFilterProxyModel>
#include <QVariant>

// The rows a results window shows: those of its source model that hold the
// filter text in any column (case ignored) and, when a category is chosen,
// whose CategoryRole equals it; sorted by SortRole where the source gives
// one, else by the text shown.
class ResultsFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum Role {
        // A value to sort a column by (a number for keys and amounts) when the
        // text shown would sort wrongly.
        SortRole = Qt::UserRole + 100,
        // The row's category (any column), for the category filter.
        CategoryRole,
        // Of a column's header: true for a column the CSV export writes but
        // the window does not show (what a spreadsheet wants apart, such as
        // the stored digits of an amount shown as money).
        ExportOnlyRole,
    };

    explicit ResultsFilterModel(QObject* parent = nullptr);

    void setText(const QString& text);
    // An invalid value shows every category.
    void setCategory(const QVariant& category);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QString text_;
    QVariant category_;
};
