#pragma once

#include <QObject>
#include <QPointer>

class ClaimDocument;
class frmSummary;

// Keeps a summary window with its document: the bars' colours those of the
// problem marks, the figures the whole-file check's reading gathered once it
// finishes (and what the check has come to meanwhile), and each bar's click
// asked of the document: a batch selected in the tree, the problems of a
// kind listed, a month's or a procedure code's search run. The window closes
// with the document. The window knows nothing of documents: binding it is
// the one call that makes it a view of one.
class SummaryBinding : public QObject {
    Q_OBJECT
public:
    // Goes with the window.
    SummaryBinding(frmSummary& window, ClaimDocument& document);

private:
    // The window says what the check has come to.
    void showState();

    frmSummary& window_;
    QPointer<ClaimDocument> document_;
};
