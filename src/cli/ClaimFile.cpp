#include "ClaimFile.h"

#include "EngineText.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/TreeBuilder.h"
#include "core/layouts/MapSearchPath.h"
#include "core/layouts/Module1.h"
#include "core/layouts/VersionDetector.h"

#include <QDir>

namespace qm::cli {

ClaimFile::ClaimFile()
    // The record store is several megabytes: it lives on the heap.
    : m_(std::make_unique<Module1>()) {
}

ClaimFile::~ClaimFile() = default;

Message ClaimFile::notNsfMessage() {
    return {"This is not an NSF file. Can not locate the AA0 record!", "Unrecognizable File",
            MessageIcon::Exclamation, MessageButtons::Ok};
}

bool ClaimFile::open(const QString& path, const QString& mapsDir) {
    errors_.clear();
    notes_.clear();
    tree_.reset();
    path_ = path;
    m_->MapFolder = EngineText::toPath(QDir::currentPath());
    m_->MapFolders = MapSearchPath::forThisProcess(EngineText::toPath(mapsDir), m_->MapFolder);
    m_->FileName = EngineText::toPath(path);

    if (m_->FileNumber != 0)
        m_->Files.close(m_->FileNumber);
    m_->FileNumber = m_->Files.FreeFile();
    std::string reason;
    if (!m_->Files.open(m_->FileNumber, m_->FileName, &reason)) {
        errors_ << QStringLiteral("cannot open %1: %2").arg(path, EngineText::fromBytes(reason));
        return false;
    }

    RecordingMessageSink sink;
    const bool recognised = DetectFileVersion(*m_, m_->FileNumber, sink, &versionCode_);
    for (const Message& message : sink.messages)
        errors_ << EngineText::messageLine(message);
    if (!recognised) {
        errors_ << EngineText::messageLine(notNsfMessage());
        m_->Files.close(m_->FileNumber);
        return false;
    }
    // The viewer opens such a file silently with whatever layouts it holds; a
    // dissector that starts with none should say why every record is empty.
    if (versionCode_ != "00200" && versionCode_ != "00301")
        notes_ << QStringLiteral(
                      "note: version code '%1' names no map file; records have no fields")
                      .arg(EngineText::fromBytes(versionCode_));
    return true;
}

const FileTree& ClaimFile::tree() {
    if (!tree_)
        tree_.emplace(BuildTree(*m_->Files.get(m_->FileNumber)));
    return *tree_;
}

} // namespace qm::cli
