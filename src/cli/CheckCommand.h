#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QTextStream;

namespace qm {
struct ClickResult;
}

namespace qm::cli {

class ClaimFile;

// `check FILE`: clicks every claim in tree order and reports the totals
// verdict and the fields that failed their check, claim by claim as it goes.
class CheckCommand {
public:
    static int run(ClaimFile& file, bool json, QTextStream& out);

private:
    struct InvalidField {
        std::string node;
        std::string id;
        std::string name;
    };
    struct Verdict {
        std::string key;
        QString text;
        bool totalsOk = true;
        bool trailerRead = false; // the claim had an XA0 to compare
        std::vector<std::string> mismatched;
        std::vector<InvalidField> invalid;
    };

    static Verdict judge(ClaimFile& file, std::int64_t node, const ClickResult& click);
    static void printText(const Verdict& verdict, QTextStream& out);
    static QString toJson(const Verdict& verdict);
};

} // namespace qm::cli
