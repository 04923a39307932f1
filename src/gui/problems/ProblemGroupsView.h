#pragma once

#include <QPointer>
#include <QTableWidget>

class ProblemCheck;
class QTimer;

// The problems window's Rules view (gridRules): the check's rows grouped by
// rule, and the format's own by kind, each with its severity and how many
// rows and claims it has, errors first and the largest groups first among
// them. Follows the check while it runs. Enter or a double-click on a group
// reports the category that lists its rows.
class ProblemGroupsView : public QTableWidget {
    Q_OBJECT
public:
    enum Column { Group, Severity, Rows, Claims, ColumnCount };

    explicit ProblemGroupsView(const ProblemCheck& check, QWidget* parent = nullptr);

    // Fills the groups again from the check's counts.
    void refresh();

signals:
    // The category (ResultsFilterModel::CategoryRole) of a group's rows, and
    // the words for it.
    void groupChosen(const QString& category, const QString& text);

private:
    void choose(int row);

    QPointer<const ProblemCheck> check_;
    QTimer* refreshLater_ = nullptr;
};
