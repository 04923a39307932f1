#include "core/search/SearchReport.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/filetree/FileTree.h"
#include "core/report/ClaimListJson.h"

namespace qm {

SearchReport::SearchReport(std::ostream& out, bool json,
                           std::shared_ptr<const LayoutCatalogue> layouts)
    : out_(out)
    , json_(json ? std::make_unique<ClaimListJson>(out) : nullptr)
    , layouts_(std::move(layouts)) {
}

SearchReport::~SearchReport() = default;

void SearchReport::add(const ClaimHits& claim) {
    if (!json_) {
        out_ << claim.key() << "  " << FileText::toPrintable(claim.text) << '\n';
        for (const FieldHit& hit : claim.fields) {
            const RecordLayout& layout = layouts_->at(hit.typeIndex);
            const FieldDef& field = layout.field(hit.field);
            out_ << "  " << FileText::toPrintable(hit.node) << ' '
                 << FileText::toPrintable(field.FieldId) << ' '
                 << FileText::toPrintable(trimSpaces(field.FieldName)) << ": "
                 << FileText::toPrintable(trimSpaces(hit.value));
            // As the claim report gives it: money as money, dates as dates.
            const std::string shown = layout.format(hit.field).shown(hit.value);
            if (!shown.empty())
                out_ << "  (" << FileText::printableUtf8(shown) << ')';
            out_ << '\n';
        }
        return;
    }
    static const JsonShape kClaim({"key", "text", "fields"});
    static const JsonShape kField({"node", "id", "name", "value", "match_start", "match_length"});
    char key[FileTree::kKeyRoom];
    const char* keyEnd = FileTree::writeKey(key, "CA0", claim.position);
    JsonWriter& json = json_->nextClaim();
    json.beginObject(kClaim)
        .value(std::string_view(key, std::size_t(keyEnd - key)))
        .fileString(claim.text)
        .beginArray();
    for (const FieldHit& hit : claim.fields) {
        const FieldDef& field = layouts_->at(hit.typeIndex).field(hit.field);
        json.beginObject(kField)
            .fileString(hit.node)
            .fileString(field.FieldId)
            .fileString(field.FieldName)
            .fileString(hit.value)
            .value(std::int64_t(hit.start))
            .value(std::int64_t(hit.length))
            .endObject();
    }
    json.endArray().endObject();
}

void SearchReport::finish(const FieldSearch::Summary& summary) {
    if (json_) {
        json_->summary()
            .beginObject()
            .key("claims")
            .value(summary.claims)
            .key("claims_matched")
            .value(summary.claimsMatched)
            .key("fields_matched")
            .value(summary.fieldsMatched)
            .key("max_hits_reached")
            .value(summary.limited)
            .key("not_read")
            .value(summary.notRead)
            .key("file_changed")
            .value(summary.fileChanged)
            .endObject();
        json_->end();
        return;
    }
    out_ << "Claims: " << summary.claims << ", with matches: " << summary.claimsMatched
         << ", fields matched: " << summary.fieldsMatched
         << (summary.limited ? " (stopped at the --max-hits limit)" : "") << '\n';
    if (summary.fileChanged)
        out_ << "The file changed while it was read (" << summary.notRead
             << " claims could not be read): search it again.\n";
}

} // namespace qm
