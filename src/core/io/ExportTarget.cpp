#include "core/io/ExportTarget.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace qm {

ExportTarget ExportTarget::inspect(const std::string& path,
                                   const std::vector<std::string>& openClaimFiles) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        const int error = errno;
        return error == ENOENT ? ExportTarget(Kind::Absent, 0)
                               : ExportTarget(Kind::Unreachable, error);
    }
    for (const std::string& kept : openClaimFiles) {
        struct stat file {};
        if (!kept.empty() && ::stat(kept.c_str(), &file) == 0 && file.st_dev == target.st_dev &&
            file.st_ino == target.st_ino)
            return ExportTarget(Kind::OpenClaimFile, 0);
    }
    if (S_ISREG(target.st_mode))
        return ExportTarget(Kind::RegularFile, 0);
    if (S_ISDIR(target.st_mode))
        return ExportTarget(Kind::Directory, 0);
    if (S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode))
        return ExportTarget(Kind::Device, 0);
    if (S_ISFIFO(target.st_mode))
        return ExportTarget(Kind::Pipe, 0);
    if (S_ISSOCK(target.st_mode))
        return ExportTarget(Kind::Socket, 0);
    return ExportTarget(Kind::Other, 0);
}

std::string ExportTarget::reason() const {
    switch (kind_) {
    case Kind::Absent:
    case Kind::RegularFile:
        return std::string();
    case Kind::OpenClaimFile:
        return "it is the claim file that is open, which Quillmark never changes";
    case Kind::Directory:
        return "it is a folder";
    case Kind::Device:
        return "it is a device, not a file";
    case Kind::Pipe:
        return "it is a named pipe, not a file";
    case Kind::Socket:
        return "it is a socket, not a file";
    case Kind::Other:
        return "it is not a regular file";
    case Kind::Unreachable:
        return std::generic_category().message(error_);
    }
    return std::string();
}

} // namespace qm
