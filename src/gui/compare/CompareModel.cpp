#include "gui/compare/CompareModel.h"

#include "gui/common/CoreText.h"
#include "gui/results/ResultsFilterModel.h"

#include <algorithm>

namespace {

// Texts go into blocks of this size (a longer one gets a block of its own).
constexpr std::size_t kBlock = std::size_t(1) << 20;

} // namespace

CompareModel::CompareModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

void CompareModel::clear() {
    beginResetModel();
    rows_ = {};
    blocks_ = {};
    endResetModel();
}

void CompareModel::append(std::vector<CompareRow>&& rows) {
    if (rows.empty())
        return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (const CompareRow& row : rows) {
        Stored stored{};
        stored.unit = static_cast<std::uint8_t>(row.unit);
        stored.kind = static_cast<std::uint8_t>(row.kind);
        stored.fields = row.fields;
        const std::array<const std::string*, TextCount> texts{&row.a.text, &row.b.text, &row.name,
                                                              &row.number};
        std::size_t length = 0;
        for (int i = 0; i < TextCount; ++i) {
            stored.lengths[std::size_t(i)] = std::uint32_t(texts[std::size_t(i)]->size());
            length += texts[std::size_t(i)]->size();
        }
        if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < length) {
            blocks_.emplace_back();
            blocks_.back().reserve(std::max(kBlock, length));
        }
        stored.block = std::uint32_t(blocks_.size() - 1);
        stored.offset = std::uint32_t(blocks_.back().size());
        for (const std::string* text : texts)
            blocks_.back().append(*text);
        const std::array<const qm::UnitPlace*, 2> places{&row.a, &row.b};
        for (std::size_t side = 0; side < 2; ++side) {
            const qm::UnitPlace& place = *places[side];
            stored.places[side] = {place.position, place.batch,       place.trailer,
                                   place.line,     place.trailerLine, place.leadingLf};
        }
        rows_.push_back(stored);
    }
    endInsertRows();
}

std::string_view CompareModel::text(const Stored& row, Text which) const {
    std::size_t offset = row.offset;
    for (int i = 0; i < which; ++i)
        offset += row.lengths[std::size_t(i)];
    return std::string_view(blocks_[row.block]).substr(offset, row.lengths[std::size_t(which)]);
}

CompareRow CompareModel::row(int index) const {
    const Stored& stored = rows_[std::size_t(index)];
    CompareRow row;
    row.unit = qm::CompareUnit(stored.unit);
    row.kind = qm::DifferenceKind(stored.kind);
    row.fields = stored.fields;
    const std::array<qm::UnitPlace*, 2> places{&row.a, &row.b};
    for (std::size_t side = 0; side < 2; ++side) {
        const Place& place = stored.places[side];
        qm::UnitPlace& out = *places[side];
        out.position = place.position;
        out.batch = place.batch;
        out.trailer = place.trailer;
        out.line = place.line;
        out.trailerLine = place.trailerLine;
        out.leadingLf = place.leadingLf;
        out.text.assign(text(stored, side == 0 ? TextA : TextB));
    }
    row.name.assign(text(stored, NameText));
    row.number.assign(text(stored, NumberText));
    return row;
}

std::string CompareModel::key(const Stored& row, int side) {
    qm::UnitPlace place;
    place.position = row.places[std::size_t(side)].position;
    place.line = row.places[std::size_t(side)].line;
    return place.key(qm::CompareUnit(row.unit));
}

QString CompareModel::kindText(qm::DifferenceKind kind) {
    QString text = QString::fromLatin1(qm::kindWord(kind));
    text[0] = text[0].toUpper();
    return text;
}

int CompareModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int CompareModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Stored& row = rows_[std::size_t(index.row())];
    const bool inA = row.places[0].position >= 0;
    const bool inB = row.places[1].position >= 0;
    if (role == ResultsFilterModel::CategoryRole)
        return int(row.kind);
    if (role == ResultsFilterModel::SortRole) {
        switch (index.column()) {
        case KeyA:
            return qlonglong(row.places[0].position); // file order, not text order
        case KeyB:
            return qlonglong(row.places[1].position);
        case Fields:
            return row.fields;
        default:
            return {};
        }
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Kind:
        return kindText(qm::DifferenceKind(row.kind));
    case What: {
        QString what = QString::fromLatin1(qm::unitWord(qm::CompareUnit(row.unit)));
        what[0] = what[0].toUpper();
        return what;
    }
    case KeyA:
        return QString::fromStdString(key(row, 0));
    case KeyB:
        return QString::fromStdString(key(row, 1));
    case Name:
        return CoreText::fromFile(text(row, NameText));
    case Number:
        return CoreText::fromFile(text(row, NumberText));
    case Fields:
        // Added and removed units have no fields compared, and a line none.
        return inA && inB && qm::CompareUnit(row.unit) != qm::CompareUnit::Line
                   ? QVariant(row.fields)
                   : QVariant();
    default:
        return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kTitles[] = {"Kind", "What",           "Key in A", "Key in B",
                                          "Name", "Control Number", "Fields"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}
