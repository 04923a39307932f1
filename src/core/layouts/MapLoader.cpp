#include "core/layouts/MapLoader.h"

#include "core/common/FileText.h"
#include "core/common/MessageTexts.h"
#include "core/common/TextUtil.h"
#include "core/io/RegularFile.h"
#include "core/layouts/FormatFile.h"
#include "core/layouts/MapValueReader.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::FILE* openMapFile(const std::string& path) {
    const int fd = openRegularFile(path);
    if (fd < 0)
        return nullptr;
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

// The message names the definition stored last, not the one that failed.
bool readFailure(MessageSink& sink, const std::string& mapFileName, const std::string& lastKey) {
    sink.show(MessageTexts::mapFileUnreadable(mapFileName, lastKey));
    return false;
}

// A map that names so many doubtful fields is wrong throughout; naming more
// would only bury the first.
constexpr std::size_t kMaxWarnings = 100;

std::string fieldName(const FieldDef& field) {
    return FileText::toUtf8(field.RecordType) + ' ' + FileText::toUtf8(field.FieldId);
}

// The columns a value is cut from (EndPos may say otherwise).
std::string columnsOf(const FieldDef& field) {
    return "(columns " + std::to_string(field.StartPos) + '-' +
           std::to_string(field.StartPos + field.Length - 1) + ')';
}

// A field number defined more than once (every lookup by number takes the
// first) and a field whose columns overlap an earlier one's load as the map
// says, but whoever keeps the map should hear of them.
void noteDoubtfulFields(const std::string& mapFileName, LayoutCatalogue& catalogue) {
    std::size_t found = 0;
    auto note = [&](const auto& line) {
        if (found++ < kMaxWarnings)
            catalogue.addWarning(mapFileName + ": " + line());
    };
    for (int type = 0; type < kRecordTypeCount; ++type) {
        const RecordLayout& layout = catalogue.at(type);
        for (int i = 0; i < layout.fieldCount(); ++i) {
            const FieldDef& field = layout.field(i);
            const std::string_view id = trimSpaces(field.FieldId);
            int sameId = 1;
            bool named = false; // a definition of this number came earlier
            for (int j = 0; j < layout.fieldCount(); ++j) {
                if (j != i && trimSpaces(layout.field(j).FieldId) == id) {
                    named = named || j < i;
                    sameId += 1;
                }
            }
            if (sameId > 1 && !named)
                note([&] {
                    return fieldName(field) + " is defined " +
                           (sameId == 2 ? std::string("twice")
                                        : std::to_string(sameId) + " times") +
                           ", the first definition is used";
                });
            if (field.StartPos < 1 || field.Length < 1)
                continue; // it cuts no characters
            for (int j = 0; j < i; ++j) {
                const FieldDef& earlier = layout.field(j);
                if (earlier.StartPos < 1 || earlier.Length < 1 || trimSpaces(earlier.FieldId) == id)
                    continue;
                if (field.StartPos < earlier.StartPos + earlier.Length &&
                    earlier.StartPos < field.StartPos + field.Length)
                    note([&] {
                        return fieldName(field) + ' ' + columnsOf(field) + " overlaps " +
                               fieldName(earlier) + ' ' + columnsOf(earlier);
                    });
            }
        }
    }
    if (found > kMaxWarnings)
        catalogue.addWarning(mapFileName + ": and " + std::to_string(found - kMaxWarnings) +
                             " more fields defined twice or overlapping");
}

bool readMapFile(const std::vector<std::string>& folders, const std::string& mapFileName,
                 const std::string& formatFileName, MessageSink& sink, LayoutCatalogue& catalogue) {
    // The first folder that holds the file is the one used.
    std::unique_ptr<std::FILE, FileCloser> file;
    std::vector<std::string> tried;
    std::string folderUsed;
    try {
        for (const std::string& folder : folders) {
            tried.push_back(folder + "/" + mapFileName);
            file.reset(openMapFile(tried.back()));
            if (file) {
                folderUsed = folder;
                break;
            }
        }
    } catch (const std::exception& e) {
        sink.show(MessageTexts::mapLoadFailed(e.what()));
        return false;
    }
    if (!file) {
        sink.show(MessageTexts::mapFileNotFound(mapFileName, tried));
        return false;
    }

    catalogue.setFolder(folderUsed);
    MapValueReader reader(file.get());
    std::string lastKey;
    std::int16_t definitions = 0;
    FieldDef scratch;
    while (!reader.atEnd()) {
        if (definitions == std::numeric_limits<std::int16_t>::max())
            return readFailure(sink, mapFileName, lastKey);
        ++definitions;
        if (!readDefinition(reader, scratch))
            return readFailure(sink, mapFileName, lastKey);
        const int type = recordTypeIndex(scratch.RecordType);
        if (type < 0)
            continue;
        RecordLayout& layout = catalogue.at(type);
        if (layout.fieldCount() >= kMaxFields)
            return readFailure(sink, mapFileName, lastKey);
        lastKey = scratch.RecordType + " " + scratch.FieldId;
        layout.addField(scratch);
    }
    noteDoubtfulFields(mapFileName, catalogue);
    // The formats name the fields of this map, so they are read from its folder only.
    if (!formatFileName.empty())
        FormatFile::load(folderUsed, formatFileName, mapFileName, catalogue);
    return true;
}

} // namespace

bool LoadMapFile(const std::vector<std::string>& folders, const std::string& mapFileName,
                 MessageSink& sink, std::shared_ptr<const LayoutCatalogue>& layouts,
                 const std::string& formatFileName) {
    auto catalogue = std::make_shared<LayoutCatalogue>();
    const bool ok = readMapFile(folders, mapFileName, formatFileName, sink, *catalogue);
    layouts = std::move(catalogue);
    return ok;
}

} // namespace qm
