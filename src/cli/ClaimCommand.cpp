#include "ClaimCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "PdfFile.h"
#include "core/claim/NodeClick.h"
#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/report/ClaimReport.h"
#include "print/ClaimRows.h"
#include "print/PrintText.h"
#include "print/TableDocument.h"

#include <QPdfWriter>
#include <algorithm>
#include <cctype>

namespace qm::cli {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// What a message echoes of a value the user gave (UTF-8 text): a control
// number or key is a few characters, and a pasted 100 KB value would bury
// the message.
std::string echoed(const std::string& text) {
    constexpr std::size_t kShown = 40;
    if (text.size() <= kShown)
        return text;
    // Cut on a character, not inside the bytes of one.
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut) + "... (" + std::to_string(text.size()) + " bytes)";
}

} // namespace

int ClaimCommand::run(ClaimFile& file, const QStringList& keys, const std::string& pcn, bool json,
                      const PdfOption& pdf, std::ostream& out, std::ostream& err) {
    const FileTree& tree = file.tree();
    // Every key is looked up before the first click, so that a typo prints
    // nothing rather than half of the answer.
    std::vector<std::int64_t> nodes;
    for (const QString& key : keys) {
        const std::string bytes = key.toLatin1().toStdString();
        const auto node = tree.findKey(bytes);
        if (!node) {
            err << "quillmark-cli: unknown node key " << echoed(key.toStdString())
                << ": no such node in the file tree of "
                << FileText::toPrintable(FileText::pathToUtf8(file.path())) << '\n';
            return kExitError;
        }
        nodes.push_back(*node);
    }
    if (!pcn.empty()) {
        const std::string_view wanted = trimSpaces(pcn);
        const std::size_t before = nodes.size();
        for (std::int64_t node = 0; node < tree.size(); ++node)
            if (sameIgnoringCase(tree.controlNumber(node), wanted))
                nodes.push_back(node);
        if (nodes.size() == before) {
            err << "quillmark-cli: no claim carries the patient control number "
                << echoed(FileText::toPrintable(wanted)) << " in the file tree of "
                << FileText::toPrintable(FileText::pathToUtf8(file.path())) << '\n';
            return kExitError;
        }
    }

    if (pdf.given())
        return writePdf(file, nodes, pdf, err);
    if (json) {
        std::vector<std::string> keyBytes;
        for (std::int64_t node : nodes)
            keyBytes.push_back(tree.key(node));
        AssembledClaim claim;
        ClaimReport::writeJsonDocument(out, keyBytes, [&](std::size_t i) -> const AssembledClaim& {
            claim = NodeClick(file.openFile(), nodes[i]);
            return claim;
        });
        return kExitOk;
    }
    for (std::int64_t node : nodes)
        ClaimReport::writeText(out, NodeClick(file.openFile(), node), tree.key(node),
                               tree.text(node));
    return kExitOk;
}

int ClaimCommand::writePdf(ClaimFile& file, const std::vector<std::int64_t>& nodes,
                           const PdfOption& pdf, std::ostream& err) {
    if (!PdfFile::mayWrite(pdf, file.path(), err))
        return kExitError;
    const FileTree& tree = file.tree();
    const QString path = QString::fromStdString(FileText::pathToUtf8(file.path()));
    // Every claim is clicked once, in order, and kept while its pages are
    // counted and printed: a claim is a few records.
    std::vector<std::unique_ptr<ClaimRows>> claims;
    std::vector<TableDocument::Section> sections;
    QStringList keys;
    for (std::int64_t node : nodes) {
        ClaimRows::Place place;
        place.key = PrintText::fromFile(tree.key(node));
        place.text = PrintText::fromFile(tree.text(node));
        const std::int64_t parent = tree.parent(node);
        if (parent >= 0 && tree.recordType(parent) == "BA0")
            place.batchKey = PrintText::fromFile(tree.key(parent));
        place.filePath = path;
        claims.push_back(std::make_unique<ClaimRows>(
            std::make_shared<const AssembledClaim>(NodeClick(file.openFile(), node))));
        sections.push_back(claims.back()->section(place));
        keys << place.key;
    }
    PrintOptions options;
    options.fileName = QString::fromStdString(FileText::pathToUtf8(file.path()));
    options.fileName = options.fileName.mid(options.fileName.lastIndexOf(QLatin1Char('/')) + 1);
    options.title =
        (keys.size() == 1 ? QStringLiteral("Claim form ") : QStringLiteral("Claim forms ")) +
        keys.join(QStringLiteral(", "));
    options.firstPages = pdf.maxPages();
    TableDocument document(std::move(sections), TableDocument::Orientation::Portrait);
    const bool written = PdfFile::write(
        pdf, file.path(), options.title,
        [&](QPdfWriter& writer) {
            return document.printAll(writer, options) == TableDocument::Outcome::Printed;
        },
        err);
    return written ? kExitOk : kExitError;
}

} // namespace qm::cli
