#pragma once

#include <string>

namespace qm {

// Opens a regular file read-only, without locking others out, and returns its
// descriptor, or -1 with the reason in error. Folders, devices and pipes are
// refused at once: a folder has no lines, a device may never end, and a pipe
// would block the open waiting for a writer.
int openRegularFile(const std::string& path, std::string* error = nullptr);

} // namespace qm
