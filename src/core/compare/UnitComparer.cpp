#include "core/compare/UnitComparer.h"

#include "core/claim/RecordSplitter.h"

#include <utility>

namespace qm {

namespace {

// The fields of a layout that are the first definition of their number.
std::vector<int> firstDefinitions(const RecordLayout& layout) {
    std::vector<int> fields;
    for (int i = 0; i < layout.fieldCount(); ++i)
        if (layout.indexOf(layout.field(i).FieldId) == i)
            fields.push_back(i);
    return fields;
}

bool sameFields(const RecordLayout& a, const RecordLayout& b) {
    if (a.fieldCount() != b.fieldCount() || a.repeats() != b.repeats())
        return false;
    for (int i = 0; i < a.fieldCount(); ++i) {
        const FieldDef& x = a.field(i);
        const FieldDef& y = b.field(i);
        if (x.FieldId != y.FieldId || x.StartPos != y.StartPos || x.Length != y.Length)
            return false;
    }
    return true;
}

} // namespace

UnitComparer::UnitComparer(std::shared_ptr<const LayoutCatalogue> a,
                           std::shared_ptr<const LayoutCatalogue> b)
    : a_(std::move(a))
    , b_(std::move(b)) {
    for (int type = 0; type < kRecordTypeCount; ++type) {
        const RecordLayout& la = a_->at(type);
        const RecordLayout& lb = b_->at(type);
        TypePairing& pairing = types_[static_cast<std::size_t>(type)];
        for (const int i : firstDefinitions(la))
            pairing.fieldsA.emplace_back(i, lb.indexOf(la.field(i).FieldId));
        pairing.allB = firstDefinitions(lb);
        for (const int j : pairing.allB)
            if (la.indexOf(lb.field(j).FieldId) < 0)
                pairing.onlyB.push_back(j);
        pairing.identical = sameFields(la, lb);
    }
}

void UnitComparer::walkRecord(const UnitRecords::Record* a, const UnitRecords::Record* b,
                              bool differencesOnly, const Visit& visit) const {
    const UnitRecords::Record& some = a ? *a : *b;
    const TypePairing& pairing = types_[static_cast<std::size_t>(some.typeIndex)];
    const RecordLayout& la = a_->at(some.typeIndex);
    const RecordLayout& lb = b_->at(some.typeIndex);
    if (a && b && differencesOnly && pairing.identical && a->line == b->line)
        return;
    AlignedField field;
    field.typeIndex = some.typeIndex;
    field.record = RecordSplitter::nodeKey(a ? *a_ : *b_, {some.typeIndex, some.occurrence});
    field.inA = a != nullptr;
    field.inB = b != nullptr;
    if (a) {
        for (const auto& [i, j] : pairing.fieldsA) {
            field.fieldId = la.field(i).FieldId;
            field.fieldA = i;
            field.fieldB = b ? j : -1;
            field.a = la.value(i, a->line);
            field.b = b && j >= 0 ? lb.value(j, b->line) : std::string_view();
            // Compared only where both maps have the field.
            field.differs = !b || (j >= 0 && field.a != field.b);
            if (field.differs || !differencesOnly)
                visit(field);
        }
    }
    // B's fields A's map lacks (never compared), or all of a record only B has.
    if (b && !(a && differencesOnly)) {
        field.fieldA = -1;
        field.a = std::string_view();
        field.differs = !a;
        for (const int j : a ? pairing.onlyB : pairing.allB) {
            field.fieldId = lb.field(j).FieldId;
            field.fieldB = j;
            field.b = lb.value(j, b->line);
            visit(field);
        }
    }
}

void UnitComparer::pairRecords(const UnitRecords& a, const UnitRecords& b,
                               const RecordVisit& visit) const {
    std::vector<bool> paired(b.size(), false);
    // Units are a few records each, mostly in the same order in both files:
    // B's records are looked through from where the last partner was found.
    std::size_t from = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const UnitRecords::Record record = a[i];
        UnitRecords::Record partner;
        bool found = false;
        for (std::size_t n = 0; n < b.size() && !found; ++n) {
            const std::size_t j = (from + n) % b.size();
            partner = b[j];
            if (!paired[j] && partner.typeIndex == record.typeIndex &&
                partner.occurrence == record.occurrence) {
                paired[j] = found = true;
                from = j + 1;
            }
        }
        visit(&record, found ? &partner : nullptr);
    }
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (paired[j])
            continue;
        const UnitRecords::Record record = b[j];
        visit(nullptr, &record);
    }
}

void UnitComparer::walk(const UnitRecords& a, const UnitRecords& b, bool differencesOnly,
                        const Visit& visit) const {
    pairRecords(a, b, [&](const UnitRecords::Record* x, const UnitRecords::Record* y) {
        walkRecord(x, y, differencesOnly, visit);
    });
}

std::vector<FieldChange> UnitComparer::changes(const UnitRecords& a, const UnitRecords& b,
                                               std::vector<UnseenLine>* unseen) const {
    std::vector<FieldChange> changes;
    const Visit add = [&](const AlignedField& field) {
        const std::string* nameA =
            field.fieldA >= 0 ? &a_->at(field.typeIndex).field(field.fieldA).FieldName : nullptr;
        const std::string* nameB =
            field.fieldB >= 0 ? &b_->at(field.typeIndex).field(field.fieldB).FieldName : nullptr;
        FieldChange change;
        change.record = field.record;
        change.fieldId = field.fieldId;
        change.name = nameA ? *nameA : *nameB;
        if (nameA && nameB && *nameA != *nameB)
            change.otherName = *nameB;
        change.a.assign(field.a);
        change.b.assign(field.b);
        change.inA = field.inA;
        change.inB = field.inB;
        changes.push_back(std::move(change));
    };
    pairRecords(a, b, [&](const UnitRecords::Record* x, const UnitRecords::Record* y) {
        const std::size_t before = changes.size();
        walkRecord(x, y, true, add);
        if (!unseen || changes.size() != before || (x && y && x->sameLine(*y)))
            return;
        UnseenLine line;
        line.inA = x != nullptr;
        line.inB = y != nullptr;
        if (x)
            line.a = *x;
        if (y)
            line.b = *y;
        unseen->push_back(line);
    });
    return changes;
}

std::vector<AlignedField> UnitComparer::align(const UnitRecords& a, const UnitRecords& b) const {
    std::vector<AlignedField> fields;
    walk(a, b, false, [&](const AlignedField& field) { fields.push_back(field); });
    return fields;
}

} // namespace qm
