#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

// Rows of whole numbers, kept in about as many bits as their values differ
// by: every block of kBlockRows rows keeps, for each column, its smallest
// value and each row's distance from it in just the bits the block's
// largest distance needs. Ten million claim list rows of figures that vary
// little take a few bytes each instead of forty.
//
// Rows are appended and never change. A copy is cheap (the packed blocks are
// shared): it hands another thread the rows there are now, whatever is
// appended after.
class PackedRows {
public:
    static constexpr int kBlockBits = 12;
    static constexpr std::size_t kBlockRows = std::size_t(1) << kBlockBits;

    explicit PackedRows(int columns);
    ~PackedRows();
    PackedRows(const PackedRows&);
    PackedRows& operator=(const PackedRows&);
    PackedRows(PackedRows&&) noexcept;
    PackedRows& operator=(PackedRows&&) noexcept;

    int columns() const { return columns_; }
    std::size_t size() const { return blocks_.size() * kBlockRows + tailRows(); }
    bool empty() const { return size() == 0; }

    // Appends a row of columns() values.
    void append(const std::int64_t* values);
    std::int64_t at(std::size_t row, int column) const;
    // Rows first to first + count - 1 of a column, into out.
    void read(int column, std::size_t first, std::size_t count, std::int64_t* out) const;
    void clear();

    std::size_t memoryBytes() const;

private:
    class Block;

    std::size_t tailRows() const { return tail_.size() / std::size_t(columns_); }
    void seal();

    int columns_;
    std::vector<std::shared_ptr<const Block>> blocks_;
    std::vector<std::int64_t> tail_; // rows not packed yet, a row after another
};

} // namespace qm
