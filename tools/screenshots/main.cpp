// quillmark-screenshots OUTDIR [SCENE...]: remakes the named scenes (all when
// none is named) as OUTDIR/<scene>.png; --list names them. Run it under an X
// server (scripts/screenshots.sh does, with xvfb-run) so fonts and styles are
// the desktop's.
#include "SceneDriver.h"
#include "Scenes.h"
#include "gui/about/Branding.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Branding::title());
    QApplication::setOrganizationName(Branding::title());
    QApplication::setWindowIcon(Branding::applicationIcon());
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.value(0) == QLatin1String("--list")) {
        for (const Scenes::Scene& scene : Scenes::all())
            out << scene.name << "  " << scene.description << '\n';
        return 0;
    }
    if (arguments.isEmpty() || arguments.constFirst().startsWith(QLatin1Char('-'))) {
        err << "Usage: quillmark-screenshots OUTDIR [SCENE...]\n"
               "       quillmark-screenshots --list\n";
        return 2;
    }
    const QString outputDir = arguments.takeFirst();
    if (!QDir().mkpath(outputDir)) {
        err << "quillmark-screenshots: cannot make " << outputDir << '\n';
        return 2;
    }

    int failed = 0;
    int made = 0;
    // The scenes named (all when none is); those left over are no scenes.
    const QStringList wanted = arguments;
    for (const Scenes::Scene& scene : Scenes::all()) {
        if (!wanted.isEmpty() && !arguments.removeAll(scene.name))
            continue;
        SceneDriver driver(outputDir);
        if (scene.run(driver)) {
            out << scene.name << ": written\n";
            ++made;
        } else {
            err << scene.name << ": " << driver.error() << '\n';
            ++failed;
        }
        out.flush();
    }
    for (const QString& unknown : arguments) {
        err << unknown << ": no such scene (--list names them)\n";
        ++failed;
    }
    return failed == 0 && made > 0 ? 0 : 1;
}
