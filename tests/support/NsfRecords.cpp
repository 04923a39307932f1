#include "NsfRecords.h"

#include "ClaimFileBuilder.h"
#include "core/common/RecordingMessageSink.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/MapLoader.h"

#include <QtGlobal>

NsfRecords::NsfRecords(const std::string& mapsDir, const std::string& mapFile) {
    qm::RecordingMessageSink sink;
    if (!qm::LoadMapFile({mapsDir}, mapFile, sink, layouts_))
        qFatal("cannot load %s from %s", mapFile.c_str(), mapsDir.c_str());
}

NsfRecords::~NsfRecords() = default;

int NsfRecords::slot(const std::string& type, const std::string& fieldId) const {
    const qm::RecordLayout* layout = layouts_->find(type);
    const int slot = layout ? layout->indexOf(fieldId) + 1 : 0;
    if (slot == 0)
        qFatal("the map has no field %s %s", type.c_str(), fieldId.c_str());
    return slot;
}

int NsfRecords::start(const std::string& type, const std::string& fieldId) const {
    return layouts_->find(type)->field(slot(type, fieldId) - 1).StartPos;
}

int NsfRecords::length(const std::string& type, const std::string& fieldId) const {
    return layouts_->find(type)->field(slot(type, fieldId) - 1).Length;
}

std::string NsfRecords::name(const std::string& type, const std::string& fieldId) const {
    return layouts_->find(type)->field(slot(type, fieldId) - 1).FieldName;
}

std::string NsfRecords::record(const std::string& type,
                               const std::map<std::string, std::string>& values) const {
    std::string line(320, ' ');
    line.replace(0, 3, type);
    for (const auto& [id, value] : values) {
        const qm::FieldDef& field = layouts_->find(type)->field(slot(type, id) - 1);
        const std::size_t width = static_cast<std::size_t>(field.Length);
        if (value.size() > width)
            qFatal("value %s too long for %s %s", value.c_str(), type.c_str(), id.c_str());
        const bool digits =
            !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
        std::string text = value;
        if (digits && field.TypeCodes.find('N') != std::string::npos)
            text.insert(0, width - value.size(), '0');
        else
            text.append(width - value.size(), ' ');
        line.replace(static_cast<std::size_t>(field.StartPos - 1), width, text);
    }
    return line;
}

std::string NsfRecords::fileHeader(const std::string& submitter, const std::string& version) const {
    return record("AA0", {{"02.0", submitter},
                          {"06.0", "TEST BILLING"},
                          {"07.0", "1 MAIN ST"},
                          {"09.0", "EUGENE"},
                          {"10.0", "OR"},
                          {"11.0", "974010000"},
                          {"12.0", "00001"},
                          {"19.0", version}});
}

std::string NsfRecords::claimWithControlCharacters() const {
    ClaimFileBuilder text;
    text.add(fileHeader("SUBMITTER", "00301"));
    text.add(record("BA0"));
    std::string ca0 = record("CA0", {{"03.0", "PCN1"}});
    ca0.replace(22, 11, kControlName);
    text.add(ca0);
    return text.bytes();
}
