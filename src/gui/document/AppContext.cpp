#include "gui/document/AppContext.h"

#include "core/openfile/OpenClaimFile.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/ExportFile.h"
#include "gui/document/ClaimDocument.h"

namespace {
// The context exports ask: the one made last, while it lives.
const AppContext* keeper = nullptr;
} // namespace

AppContext::AppContext() {
    keeper = this;
    ExportFile::setKeptFiles(
        [] { return keeper ? keeper->openClaimFiles() : std::vector<std::string>(); });
}

AppContext::~AppContext() {
    if (keeper == this)
        keeper = nullptr;
}

ClaimDocument* AppContext::document() const {
    return session_;
}

void AppContext::setDocument(ClaimDocument* session) {
    session_ = session;
}

DocumentArea* AppContext::documents() const {
    return documents_;
}

void AppContext::setDocuments(DocumentArea* documents) {
    documents_ = documents;
}

std::vector<std::string> AppContext::openClaimFiles() const {
    std::vector<std::string> files;
    if (session_)
        files.push_back(session_->file().path());
    if (const std::shared_ptr<const qm::OpenClaimFile> compared = comparedFile_.lock())
        files.push_back(compared->path());
    return files;
}
