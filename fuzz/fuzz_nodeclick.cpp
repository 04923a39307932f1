// Node clicks on any claim file. The first bytes choose the clicks and whether
// the file is cut short between the tree build and the clicks; the rest is the file.
#include "FuzzWorkspace.h"
#include "core/claim/NodeClick.h"
#include "core/filetree/TreeBuilder.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const unsigned clicks = data[0] % 8 + 1;
    const bool truncate = data[1] & 1;
    std::vector<std::uint8_t> choices(data + 2, data + 2 + (clicks < size - 2 ? clicks : 0));
    const std::size_t skip = 2 + choices.size();
    FuzzWorkspace& ws = FuzzWorkspace::instance();
    const std::string path = ws.write("fuzz.nsf", data + skip, size - skip);
    ws.open(path);
    qm::SequentialFile* file = ws.m->Files.get(ws.m->FileNumber);
    if (!file)
        return 0;
    const qm::FileTree tree = qm::BuildTree(*file);
    if (truncate && ::truncate(path.c_str(), static_cast<off_t>((size - skip) / 2)) != 0)
        std::abort();
    for (std::uint8_t c : choices) {
        if (tree.empty())
            break;
        const qm::ClickResult r = qm::NodeClick(*ws.m, tree, c % tree.size());
        // Every parent a node names was added before it; the selected node exists.
        for (std::size_t i = 0; i < r.nodes.size(); ++i) {
            bool found = r.nodes[i].parent.empty();
            for (std::size_t j = 0; j < i && !found; ++j)
                found = r.nodes[j].key == r.nodes[i].parent;
            if (!found)
                std::abort();
        }
        const auto& info = ws.m->RecordLayouts.find("FA0")->Info;
        if (info.Occurrence < 0)
            std::abort();
    }
    return 0;
}
