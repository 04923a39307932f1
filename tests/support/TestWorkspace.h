#pragma once

#include "core/common/RecordingMessageSink.h"
#include "core/openfile/OpenClaimFile.h"

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace qm {
class FileTree;
}

// A temporary folder with the test map files (the compact map, and a format
// file that formats nothing) and claim files, where maps are looked for, and
// the file opened last with the layouts loaded last.
class TestWorkspace {
public:
    TestWorkspace();
    std::string path(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    // Opens a claim file as File > Open does (the file before is let go);
    // true when it opened.
    bool open(const std::string& name);
    // Builds the open file's tree and hands it to the file.
    const qm::FileTree& buildTree();
    // The open file's reader.
    qm::SequentialFile& reader();

    // Opens any claim file with the maps in mapFolders and fresh layouts;
    // null when it does not open.
    static std::shared_ptr<qm::OpenClaimFile> openFile(const std::string& path,
                                                       const std::vector<std::string>& mapFolders);

    // A compact map with the fields the engine relies on, version "00301".
    static std::string testMap();

    QTemporaryDir dir;
    std::string folder; // the temporary folder
    // Where maps are looked for; the folder alone unless a test says otherwise.
    std::vector<std::string> mapFolders;
    std::shared_ptr<const qm::LayoutCatalogue> layouts = std::make_shared<qm::LayoutCatalogue>();
    std::shared_ptr<qm::OpenClaimFile> file;
    qm::OpenResult result;
    qm::RecordingMessageSink sink;
};
