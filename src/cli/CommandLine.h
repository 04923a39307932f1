#pragma once

#include <QString>
#include <QStringList>

namespace qm::cli {

// Exit statuses: everything checked passed / a claim failed a check / the
// command could not run (usage, unreadable or unrecognised file, unknown key).
constexpr int kExitOk = 0;
constexpr int kExitChecksFailed = 1;
constexpr int kExitError = 2;

// The arguments of one run: a command, its claim file and node keys, and the
// options that apply to all commands.
class CommandLine {
public:
    enum class Command { Tree, Claim, Check };
    enum class Outcome { Run, ShowHelp, ShowVersion, UsageError };

    // arguments as QCoreApplication::arguments() gives them (program name first).
    Outcome parse(const QStringList& arguments);

    Command command() const { return command_; }
    const QString& file() const { return file_; }
    const QStringList& keys() const { return keys_; }
    // The --maps folder, looked in first for map files; empty when not given.
    const QString& mapsDir() const { return mapsDir_; }
    bool json() const { return json_; }

    // Why parse() returned UsageError.
    const QString& error() const { return error_; }
    static QString usage();
    static QString helpText();

private:
    Command command_ = Command::Tree;
    QString file_;
    QStringList keys_;
    QString mapsDir_;
    bool json_ = false;
    QString error_;
};

} // namespace qm::cli
