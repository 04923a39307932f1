#include "core/io/FileTable.h"

namespace qm {

int FileTable::FreeFile() const {
    for (int n = 1; n <= kMaxHandles; ++n)
        if (files_.find(n) == files_.end())
            return n;
    return 0;
}

bool FileTable::open(int number, const std::string& path, std::string* error) {
    if (number < 1 || number > kMaxHandles) {
        if (error)
            *error = "no free file handle";
        return false;
    }
    auto file = std::make_unique<SequentialFile>();
    if (!file->open(path, error))
        return false;
    files_[number] = std::move(file);
    return true;
}

void FileTable::adopt(int number, std::unique_ptr<SequentialFile> file) {
    files_[number] = std::move(file);
}

void FileTable::close(int number) {
    files_.erase(number);
}

void FileTable::closeAll() {
    files_.clear();
}

SequentialFile* FileTable::get(int number) {
    auto it = files_.find(number);
    return it == files_.end() ? nullptr : it->second.get();
}

bool FileTable::isOpen(int number) const {
    return files_.find(number) != files_.end();
}

} // namespace qm
