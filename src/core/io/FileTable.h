#pragma once

#include "core/io/SequentialFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace qm {

// Numbered file handles, as the program-wide handle number of the open claim
// file expects: FreeFile hands out the lowest number not in use.
class FileTable {
public:
    static constexpr int kMaxHandles = 511;

    // The lowest free number from 1, or 0 when every number is taken.
    int FreeFile() const;
    bool open(int number, const std::string& path, std::string* error = nullptr);
    // Puts a file opened elsewhere under a number (replacing what was there).
    void adopt(int number, std::unique_ptr<SequentialFile> file);
    // Closing a number that is not open is no error.
    void close(int number);
    void closeAll();
    // The open file behind a number, or nullptr.
    SequentialFile* get(int number);
    bool isOpen(int number) const;

private:
    std::map<int, std::unique_ptr<SequentialFile>> files_;
};

} // namespace qm
