#pragma once

#include <QTableView>

// A table's first column laid over it once more, scrolled up and down with it
// but never sideways, so that the column stays in sight while the rest of the
// table is scrolled (Qt's frozen column example). It shares the table's model,
// current cell and delegate; a click on it is a click on the table's row.
class FrozenColumnView : public QTableView {
    Q_OBJECT
public:
    explicit FrozenColumnView(QTableView* table);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFirstColumnOnly();
    void followTable();

    QTableView* table_;
};
