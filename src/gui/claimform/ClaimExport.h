#pragma once

#include "gui/common/ExportFile.h"

#include <QByteArray>
#include <QString>
#include <string>

class QWidget;

namespace qm {
struct AssembledClaim;
}

// Writes out the claim a claim form shows: as JSON, exactly the document
// `quillmark-cli --json claim FILE KEY` prints for its key, or as CSV, one row
// per field (ClaimReport writes both).
class ClaimExport {
public:
    // File > Export Claim...: asks for a file, offering <key>.json in the
    // last export folder (see ExportFolder) or else in folder, and writes it
    // through ExportFile::save (whole or not at all, never over a claim file
    // that is open): CSV for a name ending in .csv, JSON for any other.
    // What was written; nothing when cancelled or not written (the user is
    // told why).
    static ExportFile::Written run(QWidget* parent, const qm::AssembledClaim& claim,
                                   const std::string& key, const QString& folder);

    // The JSON document (UTF-8) of a claim clicked as file tree node key.
    static QByteArray json(const qm::AssembledClaim& claim, const std::string& key);
};
