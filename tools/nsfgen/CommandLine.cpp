#include "CommandLine.h"

#include <charconv>
#include <limits>
#include <utility>
#include <vector>

namespace nsfgen {

namespace {

bool parseWhole(std::string_view text, std::uint64_t& value) {
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool parsePositive(std::string_view text, std::int64_t& value) {
    std::uint64_t v = 0;
    if (!parseWhole(text, v) || v == 0 ||
        v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    value = static_cast<std::int64_t>(v);
    return true;
}

// The list of claim numbers an option names, or nullptr.
std::vector<std::int64_t>* claimList(std::string_view arg, GeneratorOptions& options) {
    const std::pair<std::string_view, std::vector<std::int64_t>*> lists[] = {
        {"--wrong-totals", &options.wrongTotals},     {"--no-xa0", &options.missingXa0},
        {"--short-line", &options.shortLines},        {"--wrong-pcn", &options.wrongPcn},
        {"--wrong-sequence", &options.wrongSequence}, {"--bad-date", &options.badDate},
        {"--late-service", &options.lateService},     {"--unlisted-code", &options.unlistedCode}};
    for (const auto& [name, list] : lists)
        if (arg == name)
            return list;
    return nullptr;
}

} // namespace

const char* CommandLine::usage() {
    return "usage: nsfgen --maps DIR --version 00301|00200 [options]\n"
           "       nsfgen --maps DIR --mutate-from FILE [mutations] [--seed N] [--out FILE]\n"
           "       nsfgen --not-a-claim [--out FILE]\n"
           "\n"
           "Writes a seeded NSF claim file: 320-character records ended by CR LF, every\n"
           "field placed at the columns of the version's map file in DIR.\n"
           "\n"
           "  --seed N          random seed (default 1); same arguments, same bytes\n"
           "  --claims N        number of claims (default 10)\n"
           "  --batches N       number of batches (default 1; with --size: 250 claims a batch)\n"
           "  --size S          write claims until about S bytes (1G, 500M, 64K or bytes)\n"
           "  --out FILE        output file (default standard output)\n"
           "  --wrong-totals N  claim N (1-based) gets an XA0 12.0 one cent too high (repeatable)\n"
           "  --no-xa0 N        claim N is written without its XA0 trailer (repeatable)\n"
           "  --wrong-batch-count N\n"
           "                    batch N's YA0 10.0 states one claim too many (repeatable)\n"
           "  --wrong-batch-total N\n"
           "                    batch N's YA0 11.0 is one cent too high (repeatable)\n"
           "  --no-ya0 N        batch N is written without its YA0 trailer (repeatable)\n"
           "  --claim-outside N a claim follows batch N's YA0, outside any batch\n"
           "                    (repeatable; the ZA0 counts it)\n"
           "  --short-line N    a line of 100 characters follows claim N (repeatable)\n"
           "Faults of the integrity edits (maps/integrity.rules), each in claim N's first\n"
           "service line or payer (repeatable):\n"
           "  --wrong-pcn N     the FA0 carries the next claim's patient control number\n"
           "  --wrong-sequence N\n"
           "                    the first payer's DA1 carries SEQUENCE NO 02 (its DA0: 01)\n"
           "  --bad-date N      the FA0's 06.0 reads \"2003 3 5\": blanks for the zeros, which\n"
           "                    the field check's month/day/year reading takes, no CCYYMMDD\n"
           "  --late-service N  the FA0's 05.0 and 06.0 are the day after the file's creation\n"
           "                    date (AA0 15.0)\n"
           "  --unlisted-code N the FA0's 07.0 is place of service 13, which nsf0301.fmt and\n"
           "                    nsf0200.fmt do not list\n"
           "  --wrong-file-count\n"
           "                    the ZA0's 07.0 states one claim too many\n"
           "  --wrong-file-total\n"
           "                    the ZA0's 09.0 is one cent too high\n"
           "  --no-za0          the file ends without its ZA0 trailer\n"
           "  --record-after-za0\n"
           "                    a DA0 record follows the ZA0\n"
           "  --cut-last-line   the file ends with a record cut short: 200 characters, no\n"
           "                    line end, after the ZA0\n"
           "  --readable        the fixed recipe of the readable sample (two batches, six\n"
           "                    claims, one with wrong totals, one without XA0)\n"
           "  --not-a-claim     a short text file that holds no file header\n"
           "  --bare-claims     every claim is its CA0 line alone (322 bytes a claim), as\n"
           "                    in the ten-million-claim benchmark file\n"
           "  --summary         list the batch and claim keys (type + byte position) on stderr\n"
           "                    (with --mutate-from: what was changed)\n"
           "\n"
           "A changed copy of FILE, its version's map from DIR, the seed choosing what changes;\n"
           "the batch and file trailers follow the claims added and removed:\n"
           "  --mutate-from FILE\n"
           "  --add-claims N    N claims copied under a new control number (NEW000000001, ...),\n"
           "                    each right after the claim it copies\n"
           "  --remove-claims N N claims left out\n"
           "  --change-claims N N claims get changed text fields (no amount, count, date,\n"
           "                    sequence number, control number or filler)\n"
           "  --change-fields N fields changed in each of those claims (default 1)\n";
}

bool CommandLine::parseSize(std::string_view text, std::uint64_t& bytes) {
    std::uint64_t factor = 1;
    if (!text.empty()) {
        switch (text.back()) {
        case 'K':
        case 'k':
            factor = std::uint64_t{1} << 10;
            break;
        case 'M':
        case 'm':
            factor = std::uint64_t{1} << 20;
            break;
        case 'G':
        case 'g':
            factor = std::uint64_t{1} << 30;
            break;
        default:
            break;
        }
        if (factor != 1)
            text.remove_suffix(1);
    }
    std::uint64_t n = 0;
    if (!parseWhole(text, n) || n == 0 || n > std::numeric_limits<std::uint64_t>::max() / factor)
        return false;
    bytes = n * factor;
    return true;
}

bool CommandLine::parse(int argc, char** argv, GeneratorOptions& options, bool& helpRequested,
                        std::string& error) {
    helpRequested = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view& v) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            v = argv[++i];
            return true;
        };
        std::string_view v;
        if (arg == "--help" || arg == "-h") {
            helpRequested = true;
            return true;
        } else if (arg == "--readable") {
            options.readable = true;
        } else if (arg == "--not-a-claim") {
            options.notAClaim = true;
        } else if (arg == "--summary") {
            options.summary = true;
        } else if (arg == "--bare-claims") {
            options.bareClaims = true;
        } else if (arg == "--wrong-file-count") {
            options.wrongFileCount = true;
        } else if (arg == "--wrong-file-total") {
            options.wrongFileTotal = true;
        } else if (arg == "--no-za0") {
            options.missingZa0 = true;
        } else if (arg == "--record-after-za0") {
            options.recordAfterZa0 = true;
        } else if (arg == "--cut-last-line") {
            options.cutLastLine = true;
        } else if (arg == "--maps" || arg == "--version" || arg == "--out" ||
                   arg == "--mutate-from") {
            if (!value(v))
                return false;
            (arg == "--maps"      ? options.mapsDir
             : arg == "--version" ? options.version
             : arg == "--out"     ? options.out
                                  : options.mutateFrom) = std::string(v);
        } else if (arg == "--add-claims" || arg == "--remove-claims" || arg == "--change-claims" ||
                   arg == "--change-fields") {
            if (!value(v) || !parsePositive(v, arg == "--add-claims"      ? options.addClaims
                                               : arg == "--remove-claims" ? options.removeClaims
                                               : arg == "--change-claims" ? options.changeClaims
                                                                          : options.changeFields)) {
                error = std::string(arg) + " needs a number above 0";
                return false;
            }
        } else if (arg == "--seed") {
            if (!value(v) || !parseWhole(v, options.seed)) {
                error = "--seed needs a whole number";
                return false;
            }
        } else if (arg == "--claims" || arg == "--batches") {
            if (!value(v) ||
                !parsePositive(v, arg == "--claims" ? options.claims : options.batches)) {
                error = std::string(arg) + " needs a number above 0";
                return false;
            }
        } else if (std::vector<std::int64_t>* claims = claimList(arg, options)) {
            std::int64_t n = 0;
            if (!value(v) || !parsePositive(v, n)) {
                error = std::string(arg) + " needs a claim number from 1";
                return false;
            }
            claims->push_back(n);
        } else if (arg == "--wrong-batch-count" || arg == "--wrong-batch-total" ||
                   arg == "--no-ya0" || arg == "--claim-outside") {
            std::int64_t n = 0;
            if (!value(v) || !parsePositive(v, n)) {
                error = std::string(arg) + " needs a batch number from 1";
                return false;
            }
            (arg == "--wrong-batch-count"   ? options.wrongBatchCount
             : arg == "--wrong-batch-total" ? options.wrongBatchTotal
             : arg == "--no-ya0"            ? options.missingYa0
                                            : options.claimOutside)
                .push_back(n);
        } else if (arg == "--size") {
            if (!value(v) || !parseSize(v, options.sizeBytes)) {
                error = "--size needs a size such as 1G, 500M or a byte count";
                return false;
            }
        } else {
            error = "unknown argument " + std::string(arg);
            return false;
        }
    }
    if (options.notAClaim)
        return true;
    if (options.mapsDir.empty()) {
        error = "--maps is required";
        return false;
    }
    const bool mutations = options.addClaims > 0 || options.removeClaims > 0 ||
                           options.changeClaims > 0 || options.changeFields != 1;
    if (!options.mutateFrom.empty()) {
        // The file's own version decides the map.
        if (!options.version.empty() || options.claims > 0 || options.sizeBytes > 0 ||
            options.batches > 0 || options.readable || options.bareClaims || options.anyFault()) {
            error = "--mutate-from changes a file: only the mutations, --seed, --out, --maps and "
                    "--summary go with it";
            return false;
        }
        return true;
    }
    if (mutations) {
        error = "--add-claims, --remove-claims, --change-claims and --change-fields need "
                "--mutate-from";
        return false;
    }
    if (options.version != "00301" && options.version != "00200") {
        error = "--version must be 00301 or 00200";
        return false;
    }
    if (options.claims > 0 && options.sizeBytes > 0) {
        error = "--claims and --size exclude each other";
        return false;
    }
    if (options.bareClaims && (!options.wrongTotals.empty() || !options.missingXa0.empty())) {
        error = "--bare-claims writes no XA0: --wrong-totals and --no-xa0 do not go with it";
        return false;
    }
    if (options.bareClaims && options.anyIntegrityFault()) {
        error = "--bare-claims writes no FA0 or DA1: the faults of the integrity edits do not go "
                "with it";
        return false;
    }
    if (options.readable && (options.claims > 0 || options.sizeBytes > 0 || options.batches > 0 ||
                             options.bareClaims || options.anyFault())) {
        error = "--readable is a fixed recipe: only --seed, --out and --summary go with it";
        return false;
    }
    return true;
}

} // namespace nsfgen
