#pragma once

#include "core/layouts/LayoutCatalogue.h"

#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class DocumentArea;
class ClaimDocument;

namespace qm {
class OpenClaimFile;
}

// What the windows of one run share: where map files are looked for, the
// layouts loaded last, the file open now and the main window's document
// area. One per run (tests make a fresh one per test); the shell's windows
// get a reference to it. Windows about the open file hold its ClaimDocument.
// While it lives, every export asks it which files it must leave alone
// (see ExportFile::setKeptFiles).
class AppContext {
public:
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Every folder map files are looked in, in order (the design's MapFolder,
    // the folder current at start-up, among them).
    const std::vector<std::string>& mapFolders() const { return mapFolders_; }
    void setMapFolders(std::vector<std::string> folders) { mapFolders_ = std::move(folders); }

    // The layouts loaded last: a file whose version names no map opens with
    // them. Empty before the first load.
    const std::shared_ptr<const qm::LayoutCatalogue>& layouts() const { return layouts_; }
    void setLayouts(std::shared_ptr<const qm::LayoutCatalogue> layouts) {
        layouts_ = std::move(layouts);
    }

    // The path named in the last File > Open, opened or not.
    const QString& lastPath() const { return lastPath_; }
    void setLastPath(const QString& path) { lastPath_ = path; }

    // The paths of the claim files that are open, which no export may
    // replace: the open file and the file it is compared with.
    std::vector<std::string> openClaimFiles() const;
    // The file the open file is compared with, for as long as it is held.
    void setComparedFile(std::weak_ptr<const qm::OpenClaimFile> file) {
        comparedFile_ = std::move(file);
    }

    // The open file, or nullptr.
    ClaimDocument* document() const;
    void setDocument(ClaimDocument* session);

    // The main window's document area, where document windows open (see
    // DocumentArea::addDocument); nullptr while there is no main window.
    DocumentArea* documents() const;
    void setDocuments(DocumentArea* documents);

private:
    std::vector<std::string> mapFolders_;
    std::shared_ptr<const qm::LayoutCatalogue> layouts_ = std::make_shared<qm::LayoutCatalogue>();
    QString lastPath_;
    QPointer<ClaimDocument> session_;
    std::weak_ptr<const qm::OpenClaimFile> comparedFile_;
    QPointer<DocumentArea> documents_;
};
