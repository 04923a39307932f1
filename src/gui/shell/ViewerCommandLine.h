#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The viewer's command line: a claim file to open at start-up, the --maps
// folder, --help and --version.
class ViewerCommandLine {
public:
    // Exit statuses, as the command-line tool has them.
    static constexpr int kExitOk = 0;
    static constexpr int kExitUsage = 2;

    enum class Outcome { Run, ShowHelp, ShowVersion, UsageError };

    // arguments as QCoreApplication::arguments() gives them (program name first).
    Outcome parse(const QStringList& arguments);

    // The claim file named, or empty.
    const QString& file() const { return file_; }
    // The --maps folder, looked in first for map files; empty when not given.
    const QString& mapsDir() const { return mapsDir_; }
    // Why parse() returned UsageError.
    const QString& error() const { return error_; }

    // Prints what an outcome other than Run asks for and gives the exit status.
    int answer(Outcome outcome) const;

    // Answers --help and --version from the raw arguments, before the
    // application object exists, so that they need no display. Anything else
    // waits for the application, which first takes out Qt's own options.
    static std::optional<int> answerBeforeWindows(int argc, char* argv[]);

    static QString usage();
    static QString helpText();
    // "quillmark <version>" and the map folder a run started here would use.
    static QString versionText(const QString& mapsDir);

private:
    QString file_;
    QString mapsDir_;
    QString error_;
};
