#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchQuery.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The search panel (Tools > Search Fields...): what to look for in the
// claims' field values, how it should match, and optionally the record type
// and field to look in, chosen from the open file's map. Not modal: the
// viewer stays usable while it is open and while a search runs.
class frmSearchFields : public QDialog {
    Q_OBJECT
public:
    // The match modes, in the order cboMatch offers them.
    enum Match { Contains, Exact, Regex, NumberEqual, NumberLess, NumberGreater, NumberBetween };

    explicit frmSearchFields(QWidget* parent = nullptr);

    // Fills the record type and field pickers from the layouts of the open
    // file's map, keeping the choices made where they are still there.
    void setLayouts(std::shared_ptr<const qm::LayoutCatalogue> layouts);
    const std::shared_ptr<const qm::LayoutCatalogue>& layouts() const { return layouts_; }

    // The text to find, as typed.
    QString searchText() const;
    void focusSearchText();
    // The search the controls describe; false, with the reason in error (in
    // the panel's words), when a number to compare with does not read as one.
    // For Number = the text may carry a comparison of its own (">160.00",
    // "100..200").
    bool query(qm::SearchQuery& query, std::string& error) const;
    // What to type for the match chosen (lblHint).
    QString hint() const;
    // A number match's comparison as typed: "> 150.00", "from 100 to 200", ">160.00".
    QString comparisonText() const;

    // While a search runs, Search waits and Cancel stops it; the bar shows how far it has come.
    void setRunning(bool running);
    void setProgress(int percent);
    void setStatus(const QString& text, bool isError = false);
    QString status() const;

signals:
    void searchRequested();
    void cancelRequested();

public slots:
    void done(int result) override;

private:
    void fillFields();
    void updateMatch();
    void cancelClicked();

    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    QLineEdit* txtSearchFor_ = nullptr;
    QComboBox* cboMatch_ = nullptr;
    QLabel* lblSearchTo_ = nullptr;
    QLabel* lblHint_ = nullptr;
    QLineEdit* txtSearchTo_ = nullptr;
    QComboBox* cboRecordType_ = nullptr;
    QComboBox* cboField_ = nullptr;
    QProgressBar* prgSearch_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdSearch_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    bool running_ = false;
};
