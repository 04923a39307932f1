#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "gui/document/WorkSeams.h"

#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DocumentArea;
class ClaimDocument;

namespace qm {
class OpenClaimFile;
}

// What the windows of one run share: where map files are looked for, the
// layouts loaded last, the document open now, the main window's document
// area, and the seams every document's jobs are given (empty but in tests).
// One per run (tests make a fresh one per test); the shell's windows get a
// reference to it. Windows about the open file are views of its
// ClaimDocument. While it lives, every export asks it which files it must
// leave alone (see ExportFile::setKeptFiles).
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

    // The open file, or nullptr.
    ClaimDocument* document() const;
    void setDocument(ClaimDocument* document);

    // The main window's document area, where document windows open (see
    // DocumentArea::addDocument); nullptr while there is no main window.
    DocumentArea* documents() const;
    void setDocuments(DocumentArea* documents);

    // How long the start-up splash stays up, when not its own two seconds:
    // tests and benchmarks shorten it so that none waits for the main window.
    std::optional<int> splashMilliseconds() const { return splashMilliseconds_; }
    void setSplashMilliseconds(int milliseconds) { splashMilliseconds_ = milliseconds; }

    // What each document opened from now on hands its jobs; a test sets the
    // seams it wants before it opens a file.
    WorkSeams& seams() { return *seams_; }
    const std::shared_ptr<WorkSeams>& sharedSeams() const { return seams_; }

private:
    std::vector<std::string> mapFolders_;
    std::shared_ptr<const qm::LayoutCatalogue> layouts_ = std::make_shared<qm::LayoutCatalogue>();
    QString lastPath_;
    QPointer<ClaimDocument> document_;
    QPointer<DocumentArea> documents_;
    std::shared_ptr<WorkSeams> seams_ = std::make_shared<WorkSeams>();
    std::optional<int> splashMilliseconds_;
};
