#include "gui/problems/ProblemGroupsView.h"

#include "core/rules/RuleSet.h"
#include "gui/common/CoreText.h"
#include "gui/common/CountText.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/document/ProblemText.h"
#include "gui/problems/ProblemTableModel.h"

#include <QHeaderView>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

// While the check runs, the counts are shown again at most this often.
constexpr int kRefreshMs = 250;
// The category of a group, kept in its first cell.
constexpr int kCategoryRole = Qt::UserRole;

struct Shown {
    QString text;
    QString category;
    qm::Problem::Severity severity;
    std::int64_t rows = 0;
    std::int64_t claims = 0;
};

QTableWidgetItem* number(std::int64_t n) {
    auto* item = new QTableWidgetItem(CountText::number(n));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

ProblemGroupsView::ProblemGroupsView(const ProblemCheck& check, QWidget* parent)
    : QTableWidget(0, ColumnCount, parent)
    , check_(&check)
    , refreshLater_(new QTimer(this)) {
    setObjectName(QStringLiteral("gridRules"));
    setHorizontalHeaderLabels({QStringLiteral("Rule or Kind"), QStringLiteral("Severity"),
                               QStringLiteral("Rows"), QStringLiteral("Claims")});
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(Group, QHeaderView::Stretch);
    refreshLater_->setSingleShot(true);
    refreshLater_->setInterval(kRefreshMs);
    connect(refreshLater_, &QTimer::timeout, this, &ProblemGroupsView::refresh);
    const auto soon = [this] {
        if (isVisible() && !refreshLater_->isActive())
            refreshLater_->start();
    };
    connect(&check, &ProblemCheck::marksAdded, this, soon);
    connect(&check, &ProblemCheck::cleared, this, &ProblemGroupsView::refresh);
    connect(&check, &ProblemCheck::checkEnded, this, &ProblemGroupsView::refresh);
    // Enter and a double-click both activate.
    connect(this, &QTableWidget::cellActivated, this, [this](int row, int) { choose(row); });
}

void ProblemGroupsView::refresh() {
    std::vector<Shown> shown;
    if (check_) {
        const ProblemGroups& groups = check_->groups();
        // The format's own kinds by name: a claim's and a trailer's "Could not check" are one.
        for (int k = 0; k < qm::Problem::kKindCount; ++k) {
            const auto kind = qm::Problem::Kind(k);
            const ProblemGroups::Count& count = groups.kind(kind);
            if (kind == qm::Problem::Kind::Rule || !count.rows)
                continue;
            const QString name = ProblemText::kindName(kind);
            auto same = std::find_if(shown.begin(), shown.end(),
                                     [&](const Shown& s) { return s.text == name; });
            qm::Problem problem;
            problem.kind = kind;
            if (same == shown.end())
                same = shown.insert(shown.end(), {name, name, problem.severity()});
            same->rows += count.rows;
            same->claims += count.claims;
        }
        const qm::RuleSet* rules = check_->rules().rules.get();
        for (const std::int32_t index : groups.failedRules()) {
            const qm::RuleCatalogue::Rule* rule = rules ? rules->rule(index) : nullptr;
            if (!rule)
                continue;
            const QString id = CoreText::fromUtf8(rule->id);
            const ProblemGroups::Count count = groups.rule(index);
            shown.push_back({id, ProblemTableModel::categoryOfRule(id), rule->severity, count.rows,
                             count.claims});
        }
    }
    std::stable_sort(shown.begin(), shown.end(), [](const Shown& a, const Shown& b) {
        return a.severity != b.severity ? a.severity < b.severity : a.rows > b.rows;
    });
    setRowCount(int(shown.size()));
    for (int row = 0; row < int(shown.size()); ++row) {
        const Shown& group = shown[std::size_t(row)];
        auto* text = new QTableWidgetItem(group.text);
        text->setData(kCategoryRole, group.category);
        setItem(row, Group, text);
        setItem(row, Severity,
                new QTableWidgetItem(ProblemIcons::icon(ProblemText::severityMark(group.severity)),
                                     ProblemText::severityName(group.severity)));
        setItem(row, Rows, number(group.rows));
        setItem(row, Claims, number(group.claims));
    }
    resizeColumnToContents(Severity);
}

void ProblemGroupsView::choose(int row) {
    const QTableWidgetItem* group = item(row, Group);
    if (group)
        emit groupChosen(group->data(kCategoryRole).toString(), group->text());
}
