#pragma once

#include "core/check/FileCheck.h"
#include "core/openfile/ClaimFileOpener.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {
class FileTree;
class HeaderIndex;
} // namespace qm

// Everything a whole-file check hands on, written down a line each in the
// order it came, so that two checks (or a check and clicks on every claim)
// compare as text. A claim is one line with its rows; rows are described
// with every number they hold and with the engine's words.
class CheckTranscript : public qm::FileCheck::Consumer {
public:
    explicit CheckTranscript(std::shared_ptr<const qm::LayoutCatalogue> layouts)
        : layouts_(std::move(layouts)) {}

    void batch(const qm::FileCheck::Batch& batch) override;
    void claim(const qm::FileCheck::Claim& claim) override;
    void trailer(const qm::FileCheck::Trailer& trailer) override;
    void problem(const qm::ProblemRow& row) override;

    // One row; a claim's rows without the line number, which a click on the
    // claim does not know.
    static std::string row(const qm::ProblemRow& row, const qm::LayoutCatalogue* layouts);
    // A claim as the check gives it, and as clicking its node gives it.
    static std::string claim(const std::string& key, std::string_view text, qm::TotalsState totals,
                             bool xa0, bool unreadable, const std::vector<qm::ProblemRow>& rows,
                             const qm::LayoutCatalogue* layouts);
    static std::vector<std::string> byClicks(qm::SequentialFile& file,
                                             std::shared_ptr<const qm::LayoutCatalogue> layouts,
                                             const qm::FileTree& tree);

    // Checks the file; the transcript of it in out.
    static qm::FileCheck::Summary run(const qm::SequentialFile& file,
                                      std::shared_ptr<const qm::LayoutCatalogue> layouts,
                                      CheckTranscript& out, int jobs = 1,
                                      std::int64_t chunkBytes = std::int64_t(8) << 20,
                                      std::shared_ptr<const qm::HeaderIndex> index = nullptr);
    // A claim file opened with the real maps, or the maps of mapsDir.
    struct Opened {
        qm::OpenResult result;
        std::shared_ptr<qm::OpenClaimFile> openFile;
        std::shared_ptr<const qm::LayoutCatalogue> layouts;
        qm::SequentialFile* file = nullptr; // the open file's reader; null when not opened
    };
    static Opened open(const std::string& path, const std::string& mapsDir = MAPS_DIR);

    std::vector<std::string> lines;  // everything, in order
    std::vector<std::string> claims; // the claims' lines alone
    std::vector<std::string> kinds;  // every row as "kind@line", in order

private:
    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    std::vector<qm::ProblemRow> rows_;
};
