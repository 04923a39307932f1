#include "gui/common/AppContext.h"

#include "core/openfile/OpenClaimFile.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/FileSession.h"

AppContext::AppContext() = default;

FileSession* AppContext::session() const {
    return session_;
}

void AppContext::setSession(FileSession* session) {
    session_ = session;
}

DocumentArea* AppContext::documents() const {
    return documents_;
}

void AppContext::setDocuments(DocumentArea* documents) {
    documents_ = documents;
}

std::vector<std::string> AppContext::openClaimFiles() const {
    if (!session_)
        return {};
    return {session_->file().path()};
}
