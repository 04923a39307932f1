#pragma once

#include <QIcon>
#include <QString>

// The application's name, version line and icon, for the windows that show them.
class Branding {
public:
    // The application title, "Quillmark".
    static QString title();
    // "Version " + major + "." + minor + "." + revision of the one project version.
    static QString versionLine();
    static QIcon applicationIcon();
};
