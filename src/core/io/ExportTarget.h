#pragma once

#include <string>
#include <vector>

namespace qm {

// What stands at the path an export is to be written to, and whether the
// export may put its file there. An export is written beside its target and
// renamed over it: that is sound for a regular file or nothing, but would turn
// a device, a named pipe or a socket into a plain file, and must never replace
// a file the program promises to leave alone (the open claim file).
//
//   const ExportTarget target = ExportTarget::inspect(path, {openClaimFilePath});
//   if (!target.writable())
//       report(target.reason());
class ExportTarget {
public:
    enum class Kind {
        Absent,
        RegularFile,
        OpenClaimFile, // one of the claim files named to inspect, under any name
        Directory,
        Device,
        Pipe,
        Socket,
        Other,      // any other kind of file system entry
        Unreachable // the path cannot be looked at (its error says why)
    };

    // Looks at path, following symbolic links as an export's rename does.
    // openClaimFiles: the paths of the claim files that are open, which an
    // export never replaces; compared by device and inode, so that another
    // name of the same file (a symbolic or hard link) is caught too.
    static ExportTarget inspect(const std::string& path,
                                const std::vector<std::string>& openClaimFiles);

    Kind kind() const { return kind_; }
    // Absent, or a regular file that is no open claim file.
    bool writable() const { return kind_ == Kind::Absent || kind_ == Kind::RegularFile; }
    // Why an export may not be written there, for a message after the path
    // and a colon ("it is a folder"; UTF-8); empty when it may.
    std::string reason() const;

private:
    ExportTarget(Kind kind, int error)
        : kind_(kind)
        , error_(error) {}

    Kind kind_;
    int error_; // errno for Unreachable
};

} // namespace qm
