#pragma once

#include "gui/compare/CompareRow.h"

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// The rows of a comparison, in the order found: columns Kind, What (claim,
// batch, file header or line), its key in file A and in file B ("line 57"
// for a line), Name (for a line, what it is), Control Number and how many
// fields differ. Texts are made when the view asks; keys and counts sort
// as numbers, and the kind is the row's category. A comparison may find
// millions of rows: each is kept in about a hundred bytes and its texts.
class CompareModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Kind, What, KeyA, KeyB, Name, Number, Fields, ColumnCount };

    explicit CompareModel(QObject* parent = nullptr);

    void clear();
    // Adds rows at the end, in one insertion.
    void append(std::vector<CompareRow>&& rows);
    // The row as it was added.
    CompareRow row(int row) const;

    // The words a kind is shown with ("Added"), also the category filter's.
    static QString kindText(qm::DifferenceKind kind);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // A place without its text.
    struct Place {
        std::int64_t position, batch, trailer, line, trailerLine;
        std::uint8_t leadingLf;
    };
    // A row's texts lie together in a block of texts: A's, B's, the name, the number.
    enum Text { TextA, TextB, NameText, NumberText, TextCount };
    struct Stored {
        std::array<Place, 2> places;
        std::uint8_t unit;
        std::uint8_t kind;
        std::int32_t fields;
        std::uint32_t block;
        std::uint32_t offset;
        std::array<std::uint32_t, TextCount> lengths;
    };

    std::string_view text(const Stored& row, Text which) const;
    static std::string key(const Stored& row, int side);

    // Deques: a growing vector of many rows copied them all at once.
    std::deque<Stored> rows_;
    std::deque<std::string> blocks_; // each filled up to its capacity, never moved
};
