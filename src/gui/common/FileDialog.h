#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// Every file dialog of the application goes through here: the real thing is a
// modal QFileDialog, unless a Chooser is handed to the application or to a
// window the dialog is over (tests and tools hand a RecordingDialogs, which
// answers with queued names and keeps what was asked). A file to write is
// asked for only through ExportFile::save, which checks what it may replace.
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

    // What chooses the files in place of the user: given each dialog asked
    // for, and the real dialog to show if it wants (the path, or an empty
    // string for Cancel).
    class Chooser {
    public:
        virtual ~Chooser() = default;
        virtual QString openFileName(const OpenRequest& request,
                                     const std::function<QString()>& showReal) = 0;
        virtual QString saveFileName(const SaveRequest& request,
                                     const std::function<QString()>& showReal) = 0;
    };
    // Hands chooser every dialog over owner or a widget within it (owner the
    // application: every dialog); nullptr takes it back.
    static void setChooser(QObject* owner, Chooser* chooser);

    // "json" of "JSON (*.json)": the suffix a name typed without one gets.
    static QString suffixOf(const QString& filter);

private:
    friend class ExportFile;
    // The same for a file to write; the dialog asks before replacing a file.
    static QString getSaveFileName(QWidget* parent, const SaveRequest& request);
};
