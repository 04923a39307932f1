#pragma once

#include <QJsonObject>
#include <QString>
#include <string>
#include <string_view>

class QTextStream;

namespace qm {
struct Module1;
struct RecordLayout;
} // namespace qm

namespace qm::cli {

// What the claim form shows for one of its record nodes: the record type's
// fields with the values, check flags and line stored in the node's occurrence.
// Reads the record store in place, so it must be used before the next click.
class RecordView {
public:
    // nodeKey: the record type, or "TYPE-occ" for a repeating type.
    RecordView(const Module1& m, const std::string& nodeKey);

    // False when the key names no record type or no stored occurrence.
    bool isValid() const { return layout_ != nullptr; }
    std::string_view type() const { return type_; }
    int occurrence() const { return occurrence_; }
    int fieldCount() const;

    QJsonObject toJson() const;
    // A table of field number, name and value, '*' marking a value that failed its check.
    void printTable(QTextStream& out) const;

    // Fields 1..fieldCount(): their number, name and check flag in this occurrence.
    std::string_view fieldId(int slot) const;
    std::string_view fieldName(int slot) const;
    bool fieldValid(int slot) const;

private:
    const RecordLayout* layout_ = nullptr;
    std::string type_;
    int occurrence_ = 0;
};

} // namespace qm::cli
