#pragma once

#include <QComboBox>
#include <QString>

class QKeyEvent;
#include <functional>

// The box a claim filter expression is typed in: an editable combo box
// whose list is the last kHistory filters applied (kept in the settings
// under a key of the bar's own). Enter applies what is typed, Escape clears
// it (and applies the empty filter); the box turns green while the text is a
// filter, red while it is not, with the reason in its tooltip.
class FilterBar : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kHistory = 20;

    // Empty when expression is a filter; else why not ("column 9: ...").
    using Check = std::function<QString(const QString& expression)>;

    // name: the objectName; settingsKey: where the history is kept.
    FilterBar(const QString& name, const QString& settingsKey, QWidget* parent = nullptr);

    void setCheck(Check check);
    // The filter applied last (empty: none).
    const QString& appliedFilter() const { return applied_; }
    // What is wrong with the text typed; empty while it is a filter.
    const QString& error() const { return error_; }
    // Applies text as Enter does; false (nothing applied) when it is no filter.
    bool apply(const QString& text);
    // Clears the text and applies the empty filter, as Escape does.
    void clearFilter();

signals:
    // A filter was applied (empty: the filter was cleared).
    void applied(const QString& expression);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Enter and Escape, wherever they arrive; true when taken.
    bool takeKey(int key);
    void weigh(const QString& text);
    void remember(const QString& expression);
    void loadHistory();

    QString settingsKey_;
    Check check_;
    QString applied_;
    QString error_;
};
