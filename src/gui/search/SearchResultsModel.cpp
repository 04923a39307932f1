#include "gui/search/SearchResultsModel.h"

#include "core/common/TextUtil.h"
#include "core/layouts/RecordTypes.h"
#include "gui/common/CoreText.h"
#include "gui/results/ResultsFilterModel.h"

#include <QPoint>
#include <algorithm>

SearchResultsModel::SearchResultsModel(std::shared_ptr<const qm::LayoutCatalogue> layouts,
                                       QObject* parent)
    : QAbstractTableModel(parent)
    , layouts_(std::move(layouts)) {
}

void SearchResultsModel::reset(std::shared_ptr<const qm::LayoutCatalogue> layouts) {
    beginResetModel();
    layouts_ = std::move(layouts);
    claims_ = {};
    rows_ = {};
    endResetModel();
}

void SearchResultsModel::append(std::vector<qm::ClaimHits>&& claims) {
    std::size_t added = 0;
    for (const qm::ClaimHits& claim : claims)
        added += claim.fields.size();
    if (added == 0)
        return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(added) - 1);
    for (qm::ClaimHits& claim : claims) {
        const auto claimIndex = std::uint32_t(claims_.size());
        claims_.push_back({claim.position, std::move(claim.text), std::move(claim.patientName),
                           std::move(claim.controlNumber)});
        for (qm::FieldHit& hit : claim.fields) {
            const std::string_view trimmed = qm::trimSpaces(hit.value);
            const std::uint32_t blanks = std::uint32_t(trimmed.data() - hit.value.data());
            const std::uint32_t start = std::max(hit.start, blanks) - blanks;
            rows_.push_back({claimIndex, std::int16_t(hit.typeIndex), std::int16_t(hit.field),
                             std::min<std::uint32_t>(start, std::uint32_t(trimmed.size())),
                             hit.length, std::move(hit.node), std::string(trimmed)});
        }
    }
    endInsertRows();
}

std::string SearchResultsModel::claimKey(int row) const {
    return "CA0" + std::to_string(claims_[rows_[std::size_t(row)].claim].position);
}

const std::string& SearchResultsModel::nodeKey(int row) const {
    return rows_[std::size_t(row)].node;
}

int SearchResultsModel::fieldIndex(int row) const {
    return rows_[std::size_t(row)].field;
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    const ClaimRow& claim = claims_[row.claim];
    if (role == ResultsFilterModel::SortRole && index.column() == Claim)
        return qlonglong(claim.position); // file order, not text order
    if (role == MatchRole && index.column() == Value)
        return QPoint(int(row.start), int(row.length));
    if (role == Qt::ToolTipRole) {
        const QVariant tip = toolTip(row, index.column());
        if (tip.isValid())
            return tip;
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Claim:
        return QString::fromStdString(claimKey(index.row()));
    case ClaimText:
        return CoreText::fromFile(claim.text);
    case Record:
        return CoreText::fromFile(row.node);
    case Field:
        return CoreText::fromFile(layouts_->at(row.typeIndex).field(row.field).FieldId);
    case Name:
        return CoreText::fromFile(
            qm::trimSpaces(layouts_->at(row.typeIndex).field(row.field).FieldName));
    case Value:
        return CoreText::fromFile(row.value);
    case PatientName:
        return CoreText::fromFile(claim.patientName);
    case ControlNumber:
        return CoreText::fromFile(claim.controlNumber);
    default:
        return {};
    }
}

QVariant SearchResultsModel::toolTip(const Row& row, int column) const {
    // The record by what it holds; a value as a person reads it, where its
    // format words it otherwise.
    if (column == Record) {
        const std::string_view name = qm::recordTypeName(std::string_view(row.node).substr(0, 3));
        if (!name.empty())
            return CoreText::fromFile(row.node) + QStringLiteral(" \u2014 ") +
                   CoreText::fromUtf8(name);
    } else if (column == Value) {
        const std::string shown = layouts_->at(row.typeIndex).format(row.field).shown(row.value);
        if (!shown.empty())
            return CoreText::fromUtf8(shown);
    }
    return {};
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == ResultsFilterModel::ExportOnlyRole)
        return section >= PatientName;
    // Claims come in file order.
    if (orientation == Qt::Horizontal && role == ResultsFilterModel::SourceOrderRole)
        return section == Claim;
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kTitles[ColumnCount] = {"Claim",        "Claim Text",    "Record",
                                                     "Field",        "Name",          "Value",
                                                     "Patient Name", "Control Number"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}
