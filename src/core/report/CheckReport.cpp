#include "core/report/CheckReport.h"

#include "core/common/FileText.h"
#include "core/report/ClaimListJson.h"
#include "core/report/ReportText.h"

namespace qm {

CheckReport::CheckReport(std::ostream& out, bool json,
                         std::shared_ptr<const LayoutCatalogue> layouts)
    : out_(out)
    , json_(json ? std::make_unique<ClaimListJson>(out) : nullptr)
    , layouts_(std::move(layouts)) {
}

CheckReport::~CheckReport() = default;

void CheckReport::add(const ClaimVerdict& verdict) {
    const std::string key = verdict.key();
    if (json_) {
        JsonWriter& json = json_->nextClaim();
        json.beginObject()
            .key("key")
            .value(key)
            .key("text")
            .fileString(verdict.text)
            .key("totals_ok")
            .value(!verdict.totalsFailed())
            .key("totals_state")
            .value(totalsStateName(verdict.totals))
            .key("xa0_present")
            .value(verdict.xa0Present)
            .key("unreadable")
            .value(verdict.unreadable)
            .key("mismatched")
            .beginArray();
        for (const TotalsComparison& comparison : verdict.mismatches)
            json.fileString(comparison.fieldId);
        json.endArray().key("mismatches").beginArray();
        for (const TotalsComparison& comparison : verdict.mismatches) {
            ReportText::writeComparison(json, comparison, layouts_.get());
            json.endObject();
        }
        json.endArray().key("invalid").beginArray();
        for (const InvalidField& field : verdict.invalid) {
            const std::string_view type = std::string_view(field.node).substr(0, 3);
            const RecordLayout* layout = layouts_->find(type);
            json.beginObject()
                .key("node")
                .fileString(field.node)
                .key("id")
                .fileString(layout ? std::string_view(layout->field(field.field).FieldId) : "")
                .key("name")
                .fileString(ReportText::fieldName(layouts_.get(), type, field.field))
                .key("value")
                .fileString(field.value)
                .endObject();
        }
        json.endArray().endObject();
        return;
    }

    out_ << key << "  " << FileText::toPrintable(verdict.text) << '\n';
    switch (verdict.totals) {
    case TotalsState::DoNotCompute:
        out_ << "  totals: do not compute, XA0 fields";
        for (const TotalsComparison& comparison : verdict.mismatches)
            out_ << ' ' << FileText::toPrintable(comparison.fieldId);
        out_ << '\n';
        for (const TotalsComparison& comparison : verdict.mismatches)
            out_ << "    " << ReportText::comparisonLine(comparison, layouts_.get()) << '\n';
        break;
    default:
        out_ << "  totals: " << ReportText::totalsLine(verdict.totals, {}) << '\n';
    }
    if (verdict.unreadable)
        out_ << "  unreadable: the file changed while it was read; this claim was cut short\n";
    for (const InvalidField& field : verdict.invalid) {
        const std::string_view type = std::string_view(field.node).substr(0, 3);
        const RecordLayout* layout = layouts_->find(type);
        out_ << "  invalid: " << FileText::toPrintable(field.node) << ' '
             << FileText::toPrintable(layout ? std::string_view(layout->field(field.field).FieldId)
                                             : std::string_view())
             << ' '
             << FileText::toPrintable(ReportText::fieldName(layouts_.get(), type, field.field))
             << '\n';
    }
}

void CheckReport::finish(const FileCheck::Summary& summary) {
    if (json_) {
        json_->summary()
            .beginObject()
            .key("claims")
            .value(summary.claims)
            .key("totals_failed")
            .value(summary.totalsFailed)
            .key("with_invalid_fields")
            .value(summary.withInvalid)
            .key("not_checked")
            .value(summary.uncertain)
            .endObject();
        json_->end();
        return;
    }
    out_ << "Claims: " << summary.claims << ", totals not computing: " << summary.totalsFailed
         << ", with invalid fields: " << summary.withInvalid;
    if (summary.uncertain)
        out_ << ", not checked: " << summary.uncertain;
    out_ << '\n';
}

} // namespace qm
