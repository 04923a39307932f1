#include "gui/common/AppContext.h"

#include "gui/common/DocumentArea.h"

AppContext::AppContext() = default;

DocumentArea* AppContext::documents() const {
    return documents_;
}

void AppContext::setDocuments(DocumentArea* documents) {
    documents_ = documents;
}
