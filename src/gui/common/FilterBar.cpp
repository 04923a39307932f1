#include "gui/common/FilterBar.h"

#include "gui/common/SettingsStore.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Light tints, so that the text stays readable in light and dark themes alike.
const QString kValidStyle =
    QStringLiteral("QComboBox { background-color: #d8f5d0; color: black; }");
const QString kInvalidStyle =
    QStringLiteral("QComboBox { background-color: #f8d0d0; color: black; }");

} // namespace

FilterBar::FilterBar(const QString& name, const QString& settingsKey, QWidget* parent)
    : QComboBox(parent)
    , settingsKey_(settingsKey) {
    setObjectName(name);
    setEditable(true);
    // What is typed is applied by Enter here, not added to the list by the combo.
    setInsertPolicy(QComboBox::NoInsert);
    // No completion from the history: it would add the rest of a longer
    // filter to what is typed, and Enter would apply that one.
    setCompleter(nullptr);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    lineEdit()->setPlaceholderText(QStringLiteral("Filter, e.g. XA0.12.0 > 500.00 && problem"));
    lineEdit()->setClearButtonEnabled(true);
    lineEdit()->installEventFilter(this);
    loadHistory();
    setCurrentIndex(-1);
    connect(this, &QComboBox::editTextChanged, this, &FilterBar::weigh);
    // A filter picked from the history is applied as it is picked.
    connect(this, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { apply(itemText(index)); });
    weigh(QString());
}

void FilterBar::setCheck(Check check) {
    check_ = std::move(check);
    weigh(currentText());
}

void FilterBar::weigh(const QString& text) {
    error_ = text.trimmed().isEmpty() || !check_ ? QString() : check_(text);
    if (text.trimmed().isEmpty()) {
        setStyleSheet(QString());
        setToolTip(QStringLiteral("Only the claims this expression chooses; Enter applies it, "
                                  "Escape clears it"));
    } else {
        setStyleSheet(error_.isEmpty() ? kValidStyle : kInvalidStyle);
        setToolTip(error_.isEmpty() ? QStringLiteral("Enter applies this filter") : error_);
    }
}

bool FilterBar::apply(const QString& text) {
    const QString expression = text.trimmed();
    if (currentText() != text)
        setEditText(text);
    weigh(text);
    if (!error_.isEmpty())
        return false;
    if (!expression.isEmpty())
        remember(expression);
    applied_ = expression;
    emit applied(expression);
    return true;
}

void FilterBar::clearFilter() {
    setEditText(QString());
    applied_.clear();
    weigh(QString());
    emit applied(QString());
}

bool FilterBar::eventFilter(QObject* watched, QEvent* event) {
    // A line edit that holds the focus itself would hand Enter to the combo
    // box's own insertion and Escape to the window.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress &&
        takeKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QComboBox::eventFilter(watched, event);
}

void FilterBar::keyPressEvent(QKeyEvent* event) {
    // The keyboard's keys come to the combo box, which hands them to its line
    // edit directly, past any event filter.
    if (!takeKey(event->key()))
        QComboBox::keyPressEvent(event);
}

bool FilterBar::takeKey(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        apply(currentText());
        return true;
    }
    if (key == Qt::Key_Escape) {
        clearFilter();
        return true;
    }
    return false;
}

void FilterBar::remember(const QString& expression) {
    // The newest first, each once; the list is changed in place, as a filter
    // picked from it may be applied while the combo box tells of the pick.
    const int at = findText(expression, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at != 0) {
        const QSignalBlocker quiet(this);
        if (at > 0)
            removeItem(at);
        insertItem(0, expression);
        while (count() > kHistory)
            removeItem(count() - 1);
        setCurrentIndex(0);
    }
    QStringList history;
    for (int i = 0; i < count(); ++i)
        history.append(itemText(i));
    if (const std::unique_ptr<QSettings> settings = SettingsStore::open())
        settings->setValue(settingsKey_, history);
}

void FilterBar::loadHistory() {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return;
    QStringList history = settings->value(settingsKey_).toStringList();
    if (history.size() > kHistory)
        history.erase(history.begin() + kHistory, history.end());
    const QSignalBlocker quiet(this);
    addItems(history);
}
