#pragma once

#include "core/common/Message.h"
#include "core/filetree/FileTree.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {
struct Module1;
}

namespace qm::cli {

// The claim file of one run, opened as File > Open opens it, with the
// program-wide values every later click works on, and its file tree.
class ClaimFile {
public:
    ClaimFile();
    ~ClaimFile();
    ClaimFile(const ClaimFile&) = delete;
    ClaimFile& operator=(const ClaimFile&) = delete;

    // Opens path, finds its AA0 record and loads the map of its version from
    // mapsDir. False when the file cannot be read, has no AA0 record or its map
    // failed; errors() then says why, in the order the viewer would show it.
    bool open(const QString& path, const QString& mapsDir);

    // Lines for standard error: the failure's messages, or after a successful
    // open the notes worth knowing (a version code that names no map).
    const QStringList& errors() const { return errors_; }
    const QStringList& notes() const { return notes_; }

    const QString& path() const { return path_; }
    // The version code as read from columns 244 to 248 of the AA0 record.
    const std::string& versionCode() const { return versionCode_; }

    Module1& module() { return *m_; }
    // The file tree, built on first use by one pass over the file.
    const FileTree& tree();

    // "This is not an NSF file. Can not locate the AA0 record!"
    static Message notNsfMessage();

private:
    std::unique_ptr<Module1> m_;
    QString path_;
    std::string versionCode_;
    QStringList errors_;
    QStringList notes_;
    std::optional<FileTree> tree_;
};

} // namespace qm::cli
