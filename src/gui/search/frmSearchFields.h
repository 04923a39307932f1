#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchQuery.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class ClaimDocument;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class SearchFeed;

// The search panel (Tools > Search Fields...): what to look for in the
// claims' field values, how it should match, and optionally the record type
// and field to look in, chosen from the open file's map. Search runs the
// search in the document's SearchFeed, whose results window fills as it goes;
// the panel shows how far it has come and what came of it, and Cancel stops
// it (with none running, Cancel closes the panel). Not modal: the viewer
// stays usable while it is open and while a search runs.
class frmSearchFields : public QDialog {
    Q_OBJECT
public:
    // The match modes, in the order cboMatch offers them.
    enum Match { Contains, Exact, Regex, NumberEqual, NumberLess, NumberGreater, NumberBetween };

    explicit frmSearchFields(QWidget* parent = nullptr);

    // Searches the document's file from now on (nullptr: no file is open).
    void setDocument(ClaimDocument* document);
    // Runs the search the controls describe, as Search does; a query that
    // cannot run is said in the panel.
    void runSearch();

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

    // Sets the controls to a search: text (and, between, to) matched as
    // match says in field fieldId ("05.0") of recordType ("FA0").
    void fill(Match match, const QString& text, const QString& to, const QString& recordType,
              const QString& fieldId);

    // While a search runs, Search waits and Cancel stops it; the bar shows how far it has come.
    void setRunning(bool running);
    void setProgress(int percent);
    void setStatus(const QString& text, bool isError = false);
    QString status() const;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Moves the panel off the results window and the claim form a result
    // opened where it covers them (see ClearPlace).
    void standClear();
    // A longer hint, or a narrower panel, takes more lines: the panel grows
    // rather than squash its controls.
    void fitHeight();
    void fillFields();
    void updateMatch();
    void cancelClicked();
    // Shows how the search goes.
    void follow(SearchFeed* feed);
    void showFeed();

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
    QPointer<ClaimDocument> document_;
    QPointer<SearchFeed> feed_;
};
