#include "CliBenchmark.h"
#include "FileBenchmark.h"
#include "JsonBenchmark.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: quillmark-bench FILE [--maps DIR] [--clicks N] [--runs N] [--cli PATH]\n"
                 "                       [--cli-only] [--other FILE2 [--diff-only]]\n"
                 "  Times wc -l against the tree build on FILE, node clicks on claims spread\n"
                 "  through it, the memory of the tree and of `quillmark-cli tree`, and the\n"
                 "  whole-file check of `quillmark-cli check` and the field search of\n"
                 "  `quillmark-cli search` against wc -l, the search's peak memory, and\n"
                 "  `quillmark-cli summary` against the check it is gathered by, the check\n"
                 "  with the integrity edits and 50 rules against the check without rules,\n"
                 "  the peak memory of `check --pdf` for 1,000 pages and for 10, and every\n"
                 "  JSON report against wc -l and against its text report;\n"
                 "  with FILE2 (a changed copy of FILE, see nsfgen --mutate-from) also\n"
                 "  `quillmark-cli diff FILE FILE2` against wc -l over both files.\n"
                 "  --maps DIR   map folder (default: the current directory)\n"
                 "  --clicks N   claims to click (default 200)\n"
                 "  --runs N     timed runs of each scan (default 3; the median is printed)\n"
                 "  --cli PATH   quillmark-cli to measure (default: the one built alongside;\n"
                 "               an empty PATH skips it)\n"
                 "  --cli-only   only the figures of quillmark-cli\n"
                 "  --only NAME  of quillmark-cli only tree, check, summary, rules, list,\n"
                 "               search, diff, pdf or json (repeatable; default: all)\n"
                 "  --diff-only  only those of `quillmark-cli diff` (for a pair whose units\n"
                 "               mostly never pair: the memory it keeps while they wait)\n");
}

} // namespace

int main(int argc, char* argv[]) {
    FileBenchmark::Options options;
    options.cli = QUILLMARK_CLI_PATH;
    bool cliOnly = false;
    bool diffOnly = false;
    std::string other;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--maps" && hasValue) {
            options.mapsDir = argv[++i];
        } else if (arg == "--clicks" && hasValue) {
            options.clicks = std::atoi(argv[++i]);
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--cli" && hasValue) {
            options.cli = argv[++i];
        } else if (arg == "--cli-only") {
            cliOnly = true;
        } else if (arg == "--only" && hasValue) {
            only.push_back(argv[++i]);
        } else if (arg == "--diff-only") {
            diffOnly = cliOnly = true;
        } else if (arg == "--other" && hasValue) {
            other = argv[++i];
        } else if (arg.rfind("-", 0) != 0 && options.file.empty()) {
            options.file = arg;
        } else {
            usage();
            return 2;
        }
    }
    if (options.file.empty()) {
        usage();
        return 2;
    }

    if (!cliOnly) {
        FileBenchmark bench(options);
        std::string error;
        if (!bench.open(error)) {
            std::fprintf(stderr, "quillmark-bench: %s\n", error.c_str());
            return 2;
        }
        // Memory first, while the heap holds nothing but the tree.
        bench.treeMemory();
        bench.scanAgainstWc();
        bench.clickLatency();
        bench.cliPeakMemory();
    }
    if (!options.cli.empty()) {
        const CliBenchmark cli(options.cli, options.file, options.mapsDir, options.runs);
        auto chosen = [&only, diffOnly](const char* name) {
            if (diffOnly)
                return std::string(name) == "diff";
            return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
        };
        if (chosen("tree"))
            cli.tree();
        if (chosen("check"))
            cli.check();
        if (chosen("summary"))
            cli.summary();
        if (chosen("rules"))
            cli.rules();
        if (chosen("list"))
            cli.list();
        if (chosen("search")) {
            cli.search();
            cli.searchMemory();
        }
        if (!other.empty() && chosen("diff"))
            cli.diff(other);
        if (chosen("pdf"))
            cli.pdf();
        if (chosen("json"))
            JsonBenchmark(options.cli, options.file, other, options.mapsDir, options.runs).run();
    }
    return 0;
}
