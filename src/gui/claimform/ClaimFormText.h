#pragma once

#include <QString>
#include <string_view>

namespace qm {
struct AssembledRecord;
struct FieldDef;
class RecordLayout;
} // namespace qm

// The texts the claim form shows and copies, made from what the file and the
// map file hold.
class ClaimFormText {
public:
    // File bytes, spaces at both ends left out.
    static QString trimmed(std::string_view bytes);
    // One field as the copy commands give it: number, name, value and
    // columns, separated by tabs.
    static QString fieldLine(const qm::FieldDef& field, std::string_view value);
    // The tooltip of a value shown otherwise than stored: "Stored as 0015751".
    static QString storedAs(const QString& stored);
    // Every field of a record, one a line.
    static QString recordText(const qm::RecordLayout& layout, const qm::AssembledRecord& record);
};
