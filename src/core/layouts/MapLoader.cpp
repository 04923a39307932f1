#include "core/layouts/MapLoader.h"

#include "core/Version.h"
#include "core/common/TextUtil.h"
#include "core/layouts/MapValueReader.h"
#include "core/layouts/Module1.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Opens a regular file for reading; a folder, device or pipe counts as a file
// that cannot be opened (a pipe must not block the load waiting for a writer).
std::FILE* openRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

// Reads the seven values of one definition; false when the file ends inside it
// or a number is not a whole number in the 16-bit range.
bool readDefinition(MapValueReader& reader, FieldDef& def) {
    std::string values[7];
    for (auto& v : values)
        if (!reader.next(v))
            return false;
    std::int16_t numbers[3] = {};
    const int numeric[3] = {3, 5, 6};
    for (int k = 0; k < 3; ++k) {
        const std::string& text = values[numeric[k]];
        if (trimSpaces(text).empty())
            continue; // an empty number reads as 0
        auto n = parseInteger(text, std::numeric_limits<std::int16_t>::min(),
                              std::numeric_limits<std::int16_t>::max());
        if (!n)
            return false;
        numbers[k] = static_cast<std::int16_t>(*n);
    }
    def.RecordType = std::move(values[0]);
    def.FieldId = std::move(values[1]);
    def.FieldName = std::move(values[2]);
    def.Length = numbers[0];
    def.TypeCodes = std::move(values[4]);
    def.StartPos = numbers[1];
    def.EndPos = numbers[2];
    return true;
}

} // namespace

bool LoadMapFile(Module1& m, const std::string& mapFileName, MessageSink& sink) {
    for (int i = 0; i < kRecordTypeCount; ++i) {
        RecordInfo& info = m.RecordLayouts.at(i).Info;
        info.FieldCount = 0;
        info.Occurrence = 0;
        info.Repeats = false;
    }

    // The first folder that holds the file is the one used.
    const std::vector<std::string> folders =
        m.MapFolders.empty() ? std::vector<std::string>{m.MapFolder} : m.MapFolders;
    std::unique_ptr<std::FILE, FileCloser> file;
    std::string tried;
    try {
        for (const std::string& folder : folders) {
            const std::string path = folder + "/" + mapFileName;
            file.reset(openRegularFile(path));
            if (file)
                break;
            tried += "\n" + path;
        }
    } catch (const std::exception& e) {
        sink.show({e.what(), kApplicationTitle, MessageIcon::None, MessageButtons::Ok});
        return false;
    }
    if (!file) {
        sink.show({"Unable to open map file: " + mapFileName + "\n\nLooked for it at:" + tried,
                   "Error Opening Map File", MessageIcon::Critical, MessageButtons::Ok});
        return false;
    }

    MapValueReader reader(file.get());
    std::string lastKey;
    std::int16_t definitions = 0;
    auto readFailure = [&] {
        sink.show({"Unable to read from map file @ line '" + lastKey + "'",
                   "Error Reading Map File: " + mapFileName, MessageIcon::Critical,
                   MessageButtons::Ok});
        return false;
    };

    FieldDef scratch;
    while (!reader.atEnd()) {
        if (definitions == std::numeric_limits<std::int16_t>::max())
            return readFailure();
        ++definitions;
        if (!readDefinition(reader, scratch))
            return readFailure();
        RecordLayout* layout = m.RecordLayouts.find(scratch.RecordType);
        if (!layout)
            continue;
        if (layout->Info.FieldCount + 1 >= kSlotCount)
            return readFailure();
        ++layout->Info.FieldCount;
        FieldDef& slot = layout->Fields[static_cast<std::size_t>(layout->Info.FieldCount)];
        slot = scratch; // a fresh definition: its values and flags are empty
        if (scratch.FieldName == "SEQUENCE NO")
            layout->Info.Repeats = true;
        lastKey = scratch.RecordType + " " + scratch.FieldId;
    }
    return true;
}

} // namespace qm
