// nsfgen: writes seeded NSF claim files for the samples, the tests and the benchmarks.
#include "CommandLine.h"
#include "FileMutator.h"
#include "LineBuffer.h"
#include "NsfGenerator.h"
#include "core/common/RecordingMessageSink.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/VersionDetector.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

// Text that must not be taken for a claim file: no line begins with "AA0",
// though one has it in lower case and one after a blank.
void writeNotAClaim(nsfgen::LineBuffer& out) {
    out.rawLine("Quillmark sample: this is a plain text file, not an NSF claim file.");
    out.rawLine("");
    out.rawLine("It holds no file header record, so opening it must fail cleanly.");
    out.rawLine("The two long lines below look like records but are not: the first");
    out.rawLine("spells its record type in lower case, the second starts with a blank.");
    out.rawLine("aa0" + std::string(317, '.'));
    out.rawLine(" AA0" + std::string(316, '.'));
}

} // namespace

int main(int argc, char** argv) {
    nsfgen::GeneratorOptions options;
    bool help = false;
    std::string error;
    if (!nsfgen::CommandLine::parse(argc, argv, options, help, error)) {
        std::fprintf(stderr, "nsfgen: %s\n\n%s", error.c_str(), nsfgen::CommandLine::usage());
        return 2;
    }
    if (help) {
        std::fputs(nsfgen::CommandLine::usage(), stdout);
        return 0;
    }

    try {
        std::shared_ptr<const qm::LayoutCatalogue> layouts =
            std::make_shared<qm::LayoutCatalogue>();
        const bool mutate = !options.notAClaim && !options.mutateFrom.empty();
        if (!options.notAClaim) {
            qm::RecordingMessageSink sink;
            bool loaded = false;
            if (mutate) {
                // The map of the version the file's header names.
                qm::SequentialFile in;
                std::string reason;
                if (!in.open(options.mutateFrom, &reason)) {
                    std::fprintf(stderr, "nsfgen: %s: %s\n", options.mutateFrom.c_str(),
                                 reason.c_str());
                    return 1;
                }
                const qm::VersionDetection found =
                    qm::DetectFileVersion(in, {options.mapsDir}, sink, layouts);
                loaded = found.result == qm::VersionDetection::Result::Found && found.mapLoaded;
                if (!loaded && sink.messages.empty())
                    std::fprintf(stderr, "nsfgen: %s: no file header naming a known version\n",
                                 options.mutateFrom.c_str());
            } else {
                const std::string mapName =
                    options.version == "00200" ? "nsf0200.map" : "nsf0301.map";
                loaded = qm::LoadMapFile({options.mapsDir}, mapName, sink, layouts);
            }
            if (!loaded) {
                for (const qm::Message& m : sink.messages)
                    std::fprintf(stderr, "nsfgen: %s: %s\n", m.title.c_str(), m.text.c_str());
                return 1;
            }
        }

        std::FILE* file = stdout;
        if (!options.out.empty()) {
            file = std::fopen(options.out.c_str(), "wb");
            if (!file) {
                std::perror(("nsfgen: " + options.out).c_str());
                return 1;
            }
        }
        int overflows = 0;
        {
            nsfgen::LineBuffer out(file);
            if (options.notAClaim) {
                writeNotAClaim(out);
            } else if (mutate) {
                nsfgen::FileMutator mutator(*layouts, options, out,
                                            options.summary ? stderr : nullptr);
                mutator.run();
            } else {
                nsfgen::NsfGenerator generator(*layouts, options, out,
                                               options.summary ? stderr : nullptr);
                generator.run();
                overflows = generator.overflows();
            }
            out.flush();
        }
        if (file != stdout ? std::fclose(file) != 0 : std::fflush(file) != 0) {
            std::perror("nsfgen: closing the output");
            return 1;
        }
        if (overflows > 0)
            std::fprintf(stderr,
                         "nsfgen: warning: %d values did not fit their fields (low digits kept)\n",
                         overflows);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nsfgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
