#include "gui/shell/AppContext.h"

#include "gui/shell/DocumentArea.h"

AppContext::AppContext() = default;

DocumentArea* AppContext::documents() const {
    return documents_;
}

void AppContext::setDocuments(DocumentArea* documents) {
    documents_ = documents;
}
