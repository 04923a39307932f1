// Map files as a user might hand-edit them: any bytes at all.
#include "FuzzWorkspace.h"
#include "core/layouts/MapLoader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzWorkspace& ws = FuzzWorkspace::instance();
    ws.write("fuzz.map", data, size);
    ws.sink.messages.clear();
    const bool ok = qm::LoadMapFile({ws.folder}, "fuzz.map", ws.sink, ws.layouts);
    // A load either succeeds silently or fails with exactly one message, and
    // never leaves more than 99 fields for a type.
    if (ok != ws.sink.messages.empty() || ws.sink.messages.size() > 1)
        std::abort();
    for (int i = 0; i < qm::kRecordTypeCount; ++i) {
        const int count = ws.layouts->at(i).fieldCount();
        if (count < 0 || count > qm::kMaxFields)
            std::abort();
    }
    return 0;
}
