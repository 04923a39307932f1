#include "gui/document/AppContext.h"

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
    return document_;
}

void AppContext::setDocument(ClaimDocument* document) {
    document_ = document;
}

DocumentArea* AppContext::documents() const {
    return documents_;
}

void AppContext::setDocuments(DocumentArea* documents) {
    documents_ = documents;
}

std::vector<std::string> AppContext::openClaimFiles() const {
    return document_ ? document_->claimFiles() : std::vector<std::string>();
}
