#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchHit.h"

#include <QAbstractTableModel>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// The rows of a field search: one a matching field, in the order found (file
// tree order), columns Claim, Claim Text, Record, Field, Name and Value, and
// for the export only the claim's patient name and control number. Texts are
// made when the view asks; values are shown as stored without the blanks
// around them (a tooltip shows one a format words otherwise), and MatchRole
// on the Value column gives the matched part.
class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Claim,
        ClaimText,
        Record,
        Field,
        Name,
        Value,
        PatientName,
        ControlNumber,
        ColumnCount
    };
    // Value column: QPoint(first character, length) of the matched part of
    // the value shown.
    static constexpr int MatchRole = Qt::UserRole + 1;

    explicit SearchResultsModel(std::shared_ptr<const qm::LayoutCatalogue> layouts,
                                QObject* parent = nullptr);

    // Empties the model for a search with these layouts.
    void reset(std::shared_ptr<const qm::LayoutCatalogue> layouts);
    // Adds the claims' matching fields as rows at the end, in one insertion.
    void append(std::vector<qm::ClaimHits>&& claims);

    // The file tree key of the claim of a row ("CA0" + position).
    std::string claimKey(int row) const;
    // The claim form node key of a row's record ("FA0-2").
    const std::string& nodeKey(int row) const;
    // The index of a row's field in its record type's layout.
    int fieldIndex(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct ClaimRow {
        std::int64_t position;
        std::string text;
        std::string patientName;
        std::string controlNumber;
    };
    struct Row {
        std::uint32_t claim; // index into claims_
        std::int16_t typeIndex;
        std::int16_t field;
        std::uint32_t start; // the matched part, in value
        std::uint32_t length;
        std::string node;
        std::string value; // without the blanks around it
    };

    QVariant toolTip(const Row& row, int column) const;

    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    // Deques: a vector of half a million rows, doubling, copied them all and
    // touched twice their memory at once, holding the window 0.1 s.
    std::deque<ClaimRow> claims_;
    std::deque<Row> rows_;
};
