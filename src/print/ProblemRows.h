#pragma once

#include "core/check/ProblemStore.h"
#include "print/TableDocument.h"
#include "print/TableRows.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qm {
class LayoutCatalogue;
}

// The problems of a whole-file check on paper, as the Problems window shows
// them: where (File, the batch's or the claim's key), line, node text, kind,
// record, field number and name, what was found and what was expected
// (money as money), each row one line; grouped by batch, under the batch's
// key and provider, with the file's figures at the top. Rows are read from
// the check's store as they are printed, so a report of millions of rows
// takes no more memory than one of ten.
class ProblemRows : public TableRows {
public:
    // The store row shown i-th: the window's rows as it filters and sorts
    // them. Without one, every row of the store in file order.
    using Order = std::function<std::int64_t(std::int64_t shown)>;

    // count: how many rows are shown (with an order); -1: all of the store's.
    ProblemRows(std::shared_ptr<const qm::ProblemStore> store,
                std::shared_ptr<const qm::LayoutCatalogue> layouts, std::int64_t count = -1,
                Order order = {});
    ~ProblemRows() override;

    // The report's one section: "Problems", the file's figures as the check
    // counted them (and more lines of the caller's, a filter say), then the
    // rows.
    TableDocument::Section section(const QString& filePath,
                                   std::vector<TableDocument::Line> more = {}) const;

    int columnCount() const override;
    QString header(int column) const override;
    std::int64_t rowCount() const override;
    QString cell(std::int64_t row, int column) const override;
    Qt::Alignment alignment(int column) const override;
    int stretchColumn() const override;
    bool grouped() const override;
    std::int64_t group(std::int64_t row) const override;
    QString groupHeading(std::int64_t row) const override;

private:
    const qm::ProblemStore::Entry& entry(std::int64_t row) const;
    std::vector<TableDocument::Line> figures() const;

    std::shared_ptr<const qm::ProblemStore> store_;
    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    std::int64_t count_;
    Order order_;
    // Reads on from the row asked last: rows are asked for in order.
    mutable std::optional<qm::ProblemStore::Reader> reader_;
    mutable std::int64_t readRow_ = -1;
    mutable qm::ProblemStore::Entry read_;
};
