#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

// Every file dialog of the application goes through here: the real thing is a
// modal QFileDialog; tests queue the names "chosen" (by open and save dialogs
// alike) and read back what was asked. A file to write is asked for only
// through ExportFile::save, which checks what it may replace.
//
//   FileDialog::OpenRequest request;
//   request.caption = QStringLiteral("Open");
//   request.filterLabel = QStringLiteral("All Files (*.*)");
//   const QString path = FileDialog::getOpenFileName(this, request);
class FileDialog {
public:
    struct OpenRequest {
        QString objectName; // the dialog's object name
        QString caption;    // its title
        // The one filter: shown exactly as its label, matching every name that
        // fits one of the blank-separated patterns. The label need not spell the
        // patterns, so "All Files (*.*)" can match names without a dot too.
        QString filterLabel;
        QString filterPatterns = QStringLiteral("*");
        // Filters listed before it, each "Label (patterns)" shown whole and
        // matching those patterns (in any case); the one above stays chosen as
        // the dialog opens.
        QStringList filtersBefore;
        QString directory; // where the dialog starts; empty for the current directory
    };

    struct SaveRequest {
        QString objectName;
        QString caption;
        // "JSON (*.json)", ...: one pattern each. A name typed without a
        // suffix gets the one of the filter chosen, and that is the name
        // given back (a queued name that is not there: the first filter's).
        QStringList filters;
        QString fileName; // the name offered, with its folder
    };

    // The full path of the file chosen, or an empty string when cancelled.
    static QString getOpenFileName(QWidget* parent, const OpenRequest& request);

    // Test seam. A queued name answers the next dialog without showing it (an
    // empty name acts as Cancel). In test mode no dialog is ever shown: one
    // without a queued name is cancelled.
    static void setNextFileName(const QString& fileName);
    static void setTestMode(bool on);
    // Every dialog asked for since the last reset, in order.
    static const QList<OpenRequest>& requests();
    static const QList<SaveRequest>& saveRequests();
    // Forgets queued names and requests, and leaves test mode.
    static void reset();

private:
    friend class ExportFile;
    // The same for a file to write; the dialog asks before replacing a file.
    static QString getSaveFileName(QWidget* parent, const SaveRequest& request);
};
