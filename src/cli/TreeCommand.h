#pragma once

class QTextStream;

namespace qm::cli {

class ClaimFile;

// `tree FILE`: the file tree in node index order, as text or as JSON written
// node by node.
class TreeCommand {
public:
    static int run(ClaimFile& file, bool json, QTextStream& out);

private:
    static void printText(ClaimFile& file, QTextStream& out);
    static void printJson(ClaimFile& file, QTextStream& out);
};

} // namespace qm::cli
