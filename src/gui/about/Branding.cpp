#include "gui/about/Branding.h"

#include "core/Version.h"

QString Branding::title() {
    return QString::fromLatin1(qm::kApplicationTitle);
}

QString Branding::versionLine() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(qm::kVersionMajor)
        .arg(qm::kVersionMinor)
        .arg(qm::kVersionRevision);
}

QIcon Branding::applicationIcon() {
    // The resources live in a static library: make sure they are registered.
    Q_INIT_RESOURCE(quillmark);
    return QIcon(QStringLiteral(":/quillmark/quillmark.png"));
}
