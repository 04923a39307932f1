#pragma once

#include "print/TableDocument.h"
#include "print/TableRows.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {
struct AssembledClaim;
}

// A node click's claim form on paper: every record the click read, in the
// order it read them, under a heading of its own ("FA0-2  Service line, 2 of
// 3"), its fields as rows: number, name (bold where the field is required),
// the value as the claim form shows it, what the file stores where that
// reads otherwise, and whether it passed its check (a failed one stands out).
// The field the window has marked stands out too.
class ClaimRows : public TableRows {
public:
    // The field the claim form has marked: its record's node key ("FA0-2")
    // and its index in the record's layout; none by default.
    struct Mark {
        std::string node;
        int field = -1;
    };
    // Where the claim stands in the file tree, for its heading.
    struct Place {
        QString key;      // "CA04831"
        QString text;     // the file tree node's text
        QString batchKey; // the batch's key; empty when not known
        QString filePath; // the claim file, as the window names it
    };

    explicit ClaimRows(std::shared_ptr<const qm::AssembledClaim> claim);
    ClaimRows(std::shared_ptr<const qm::AssembledClaim> claim, Mark mark);

    // The claim's section: its key and text as the title, then the file,
    // batch and provider, patient, control number, dates of service and the
    // totals verdict with every compared total, then these rows.
    TableDocument::Section section(const Place& place) const;

    int columnCount() const override;
    QString header(int column) const override;
    std::int64_t rowCount() const override;
    QString cell(std::int64_t row, int column) const override;
    Style style(std::int64_t row, int column) const override;
    int stretchColumn() const override;
    bool wraps() const override;
    bool grouped() const override;
    std::int64_t group(std::int64_t row) const override;
    QString groupHeading(std::int64_t row) const override;

private:
    struct Row {
        int node;  // in the claim's nodes
        int field; // in the record's layout
    };
    std::vector<TableDocument::Line> lines(const Place& place) const;
    void addVerdict(std::vector<TableDocument::Line>& lines) const;

    std::shared_ptr<const qm::AssembledClaim> claim_;
    Mark mark_;
    std::vector<Row> rows_;
};
