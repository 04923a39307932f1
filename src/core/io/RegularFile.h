#pragma once

#include <cstddef>
#include <string>

namespace qm {

// Opens a regular file read-only, without locking others out, and returns its
// descriptor, or -1 with the reason in error. Folders, devices and pipes are
// refused at once: a folder has no lines, a device may never end, and a pipe
// would block the open waiting for a writer.
int openRegularFile(const std::string& path, std::string* error = nullptr);

// A small regular file (a format file, a rules file) read whole into text:
// Missing and Failed with the reason in error; TooLong past maxBytes, which
// its caller words.
enum class WholeFile { Read, Missing, Failed, TooLong };
WholeFile readWholeRegularFile(const std::string& path, std::size_t maxBytes, std::string& text,
                               std::string& error);

} // namespace qm
