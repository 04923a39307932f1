#pragma once

#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"

#include <QString>
#include <QTemporaryDir>

// What a GUI benchmark runs in: the test settings paths instead of the user's,
// window positions kept in a temporary settings file, message boxes that never
// wait for a click, and the application context with its map folder. Lives as
// long as the windows of the benchmark.
class GuiBenchSession {
public:
    enum class Painting {
        OnIdleTick, // Qt's default: paints wait for the next idle tick
        AtOnce,     // paints as soon as there is something to paint
    };

    // Call before the QApplication is made: runs offscreen unless
    // QT_QPA_PLATFORM says otherwise, and with Painting::AtOnce paints without
    // waiting unless QT_QPA_UPDATE_IDLE_TIME says otherwise.
    static void prepareEnvironment(Painting painting);

    // mapsDir becomes the map folder of the context.
    explicit GuiBenchSession(const QString& mapsDir);
    GuiBenchSession(const GuiBenchSession&) = delete;
    GuiBenchSession& operator=(const GuiBenchSession&) = delete;

    AppContext& context() { return context_; }
    // What answers the message boxes (none shown) and file dialogs.
    RecordingDialogs& dialogs() { return dialogs_; }

private:
    QTemporaryDir settingsDir_;
    AppContext context_;
    RecordingDialogs dialogs_;
};
