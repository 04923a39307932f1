#pragma once

#include "core/compare/FileComparison.h"
#include "gui/compare/CompareRow.h"
#include "gui/document/ResultsFeed.h"

#include <QString>
#include <memory>

class ClaimDocument;
class CompareModel;

namespace qm {
class OpenClaimFile;
}

// The document's comparison: its file (A) against another the user chose
// (B), each read through a reader of its own on a worker, the rows of the
// units that differ (CompareModel) filled as they are found, how claims pair,
// and how far it has come or what came of it. B is held, and kept from every
// export, until another comparison or the document's close. File > Compare
// With... runs it; the comparison window shows it, and asks for a row's two
// units side by side (rowOpened).
class CompareFeed : public ResultsFeed {
    Q_OBJECT
public:
    // The document's comparison, made and given to the document on first use.
    static CompareFeed& of(ClaimDocument& document);
    // The document's comparison if it has had one, else nullptr.
    static CompareFeed* find(const ClaimDocument& document);

    CompareModel* model() const { return model_; }
    ClaimDocument& document() const { return document_; }
    // The files compared: A (the document's) and B; null before the first.
    const std::shared_ptr<qm::OpenClaimFile>& fileA() const { return a_; }
    const std::shared_ptr<qm::OpenClaimFile>& fileB() const { return b_; }
    qm::FileComparison::Match match() const { return match_; }

    // Compares the document's file with b, pairing claims as match() says
    // (the comparison running is dropped).
    void compareWith(std::shared_ptr<qm::OpenClaimFile> b);
    // The same two files again, claims paired as match says.
    void compareAgain(qm::FileComparison::Match match);
    // Asks for the two units of row `row` side by side.
    void openRow(int row);

    QString statusText() const override { return status_; }
    std::vector<std::string> heldFiles() const override;

signals:
    void rowOpened(int row);

private:
    explicit CompareFeed(ClaimDocument& document);
    void start();
    void ended(const qm::FileComparison::Summary& summary);

    ClaimDocument& document_;
    CompareModel* model_;
    std::shared_ptr<qm::OpenClaimFile> a_;
    std::shared_ptr<qm::OpenClaimFile> b_;
    qm::FileComparison::Match match_ = qm::FileComparison::Match::ControlNumber;
    QString status_;
};
