#pragma once

#include <QStringList>
#include <cstdint>
#include <vector>

class QTextStream;

namespace qm {
struct ClickResult;
}

namespace qm::cli {

class ClaimFile;

// `claim FILE KEY...`: one node click per key, in order, on the same record
// store, each printed before the next click overwrites what it read.
class ClaimCommand {
public:
    static int run(ClaimFile& file, const QStringList& keys, bool json, QTextStream& out,
                   QTextStream& err);

private:
    static void printText(ClaimFile& file, const QString& key, const ClickResult& click,
                          QTextStream& out);
    static QString toJson(ClaimFile& file, const QString& key, const ClickResult& click);
};

} // namespace qm::cli
