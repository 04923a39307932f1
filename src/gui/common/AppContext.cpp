#include "gui/common/AppContext.h"

#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/PlainText.h"

#include <QDir>
#include <QFileInfo>

AppContext::AppContext() = default;

DocumentArea* AppContext::documents() const {
    return documents_;
}

void AppContext::setDocuments(DocumentArea* documents) {
    documents_ = documents;
}

std::vector<std::string> AppContext::openClaimFiles() const {
    if (!module1_.Files.isOpen(module1_.FileNumber))
        return {};
    return {module1_.FileName};
}

QString AppContext::besideOpenFile(const QString& suffix) const {
    const QFileInfo claimFile(CoreText::toPath(module1_.FileName));
    return claimFile.absoluteDir().filePath(claimFile.completeBaseName() + suffix);
}

QString AppContext::fileWindowTitle(const QString& what) const {
    return PlainText::windowTitle(what + QStringLiteral(" (") +
                                  CoreText::toPath(module1_.FileName) + QStringLiteral(")"));
}
