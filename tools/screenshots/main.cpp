// quillmark-screenshots [--dark-palette] [--screen WxH] OUTDIR [SCENE...]:
// remakes the named scenes (all when none is named) as OUTDIR/<scene>.png;
// --list names them, --screens the screens they are taken on. Run it under an
// X server of that screen's size (scripts/screenshots.sh does, with xvfb-run,
// once for each screen) so fonts and styles are the desktop's; --screen
// takes only the scenes of that screen. --dark-palette gives the windows a
// dark palette of their own, for a desktop without a dark theme to take one from.
#include "SceneDriver.h"
#include "Scenes.h"
#include "gui/about/Branding.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QTextStream>

namespace {

// Light text on dark grounds, roughly as dark desktop themes have it.
QPalette darkPalette() {
    QPalette dark;
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    const QColor text(230, 230, 230);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(42, 110, 200));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Light, QColor(80, 80, 80));
    dark.setColor(QPalette::Mid, QColor(45, 45, 45));
    dark.setColor(QPalette::Dark, QColor(25, 25, 25));
    return dark;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Branding::title());
    QApplication::setOrganizationName(Branding::title());
    QApplication::setWindowIcon(Branding::applicationIcon());
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.removeAll(QStringLiteral("--dark-palette")) > 0)
        QApplication::setPalette(darkPalette());
    auto sizeText = [](const QSize& size) {
        return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    };
    if (arguments.value(0) == QLatin1String("--list")) {
        for (const Scenes::Scene& scene : Scenes::all())
            out << scene.name << "  " << scene.description << '\n';
        return 0;
    }
    if (arguments.value(0) == QLatin1String("--screens")) {
        QStringList screens;
        for (const Scenes::Scene& scene : Scenes::all())
            if (!screens.contains(sizeText(scene.screen)))
                screens.append(sizeText(scene.screen));
        out << screens.join(QLatin1Char('\n')) << '\n';
        return 0;
    }
    QString screen;
    if (arguments.value(0) == QLatin1String("--screen") && arguments.size() > 1) {
        arguments.removeFirst();
        screen = arguments.takeFirst();
    }
    if (arguments.isEmpty() || arguments.constFirst().startsWith(QLatin1Char('-'))) {
        err << "Usage: quillmark-screenshots [--dark-palette] [--screen WxH] OUTDIR [SCENE...]\n"
               "       quillmark-screenshots --list | --screens\n";
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
        if (!screen.isEmpty() && sizeText(scene.screen) != screen)
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
    // On one screen of several, the scenes named may all be another's.
    return failed == 0 && (made > 0 || !screen.isEmpty()) ? 0 : 1;
}
