#include "core/common/PackedRows.h"

#include <algorithm>

namespace qm {

namespace {

// Bits that hold every distance up to range.
unsigned bitsFor(std::uint64_t range) {
    unsigned bits = 0;
    while (bits < 64 && (range >> bits) != 0)
        ++bits;
    return bits;
}

} // namespace

// kBlockRows rows, packed column by column.
class PackedRows::Block {
public:
    // Packs rows (row after row, columns values each).
    Block(const std::vector<std::int64_t>& rows, int columns) {
        const std::size_t count = rows.size() / std::size_t(columns);
        columns_.resize(std::size_t(columns));
        std::size_t words = 0;
        for (int c = 0; c < columns; ++c) {
            std::int64_t low = rows[std::size_t(c)];
            std::int64_t high = low;
            for (std::size_t r = 0; r < count; ++r) {
                const std::int64_t value = rows[r * std::size_t(columns) + std::size_t(c)];
                low = std::min(low, value);
                high = std::max(high, value);
            }
            Column& column = columns_[std::size_t(c)];
            column.base = low;
            column.width = std::uint8_t(bitsFor(std::uint64_t(high) - std::uint64_t(low)));
            column.first = std::uint32_t(words);
            words += (count * column.width + 63) / 64;
        }
        words_.assign(words, 0);
        for (int c = 0; c < columns; ++c) {
            const Column& column = columns_[std::size_t(c)];
            if (column.width == 0)
                continue;
            for (std::size_t r = 0; r < count; ++r) {
                const std::uint64_t distance =
                    std::uint64_t(rows[r * std::size_t(columns) + std::size_t(c)]) -
                    std::uint64_t(column.base);
                const std::size_t bit = r * column.width;
                const std::size_t word = column.first + bit / 64;
                const unsigned shift = unsigned(bit % 64);
                words_[word] |= distance << shift;
                if (shift + column.width > 64)
                    words_[word + 1] |= distance >> (64 - shift);
            }
        }
    }

    std::int64_t at(std::size_t row, int c) const {
        const Column& column = columns_[std::size_t(c)];
        if (column.width == 0)
            return column.base;
        const std::size_t bit = row * column.width;
        const std::size_t word = column.first + bit / 64;
        const unsigned shift = unsigned(bit % 64);
        std::uint64_t distance = words_[word] >> shift;
        if (shift + column.width > 64)
            distance |= words_[word + 1] << (64 - shift);
        if (column.width < 64)
            distance &= (std::uint64_t(1) << column.width) - 1;
        return std::int64_t(std::uint64_t(column.base) + distance);
    }

    std::size_t memoryBytes() const {
        return sizeof(*this) + columns_.capacity() * sizeof(Column) +
               words_.capacity() * sizeof(std::uint64_t);
    }

private:
    struct Column {
        std::int64_t base = 0;   // the block's smallest value
        std::uint32_t first = 0; // its first word
        std::uint8_t width = 0;  // bits a row
    };
    std::vector<Column> columns_;
    std::vector<std::uint64_t> words_;
};

PackedRows::PackedRows(int columns)
    : columns_(std::max(columns, 1)) {
}

PackedRows::~PackedRows() = default;
PackedRows::PackedRows(const PackedRows&) = default;
PackedRows& PackedRows::operator=(const PackedRows&) = default;
PackedRows::PackedRows(PackedRows&&) noexcept = default;
PackedRows& PackedRows::operator=(PackedRows&&) noexcept = default;

void PackedRows::append(const std::int64_t* values) {
    tail_.insert(tail_.end(), values, values + columns_);
    if (tailRows() == kBlockRows)
        seal();
}

void PackedRows::seal() {
    blocks_.push_back(std::make_shared<const Block>(tail_, columns_));
    tail_.clear();
}

std::int64_t PackedRows::at(std::size_t row, int column) const {
    const std::size_t block = row >> kBlockBits;
    const std::size_t in = row & (kBlockRows - 1);
    if (block < blocks_.size())
        return blocks_[block]->at(in, column);
    return tail_[in * std::size_t(columns_) + std::size_t(column)];
}

void PackedRows::read(int column, std::size_t first, std::size_t count, std::int64_t* out) const {
    for (std::size_t row = first; row < first + count; ++row)
        *out++ = at(row, column);
}

void PackedRows::clear() {
    blocks_.clear();
    tail_.clear();
}

std::size_t PackedRows::memoryBytes() const {
    std::size_t bytes = blocks_.capacity() * sizeof(blocks_[0]) + tail_.capacity() * 8;
    for (const std::shared_ptr<const Block>& block : blocks_)
        bytes += block->memoryBytes();
    return bytes;
}

} // namespace qm
