#pragma once

#include <QString>
#include <QStringList>

// The command line of a GUI benchmark: FILE [FILE2] [--maps DIR] [COUNT-OPTION N],
// where the count option (--clicks, --runs, ...) says how much the benchmark
// measures and FILE2 is a second file for those that take one.
class BenchArguments {
public:
    // countOption is the name of the numeric option, such as "--runs", and
    // defaultCount its value when it is not given.
    BenchArguments(QLatin1String countOption, int defaultCount);

    // Reads the arguments after the program name. False when one is unknown,
    // an option has no value, or no FILE is given.
    bool parse(const QStringList& args);

    const QString& file() const { return file_; }
    // The second file; empty when none was given.
    const QString& otherFile() const { return otherFile_; }
    // The map folder; the current directory unless --maps says otherwise.
    const QString& mapsDir() const { return mapsDir_; }
    // The value of the count option, at least 1.
    int count() const { return count_; }

private:
    QLatin1String countOption_;
    QString file_;
    QString otherFile_;
    QString mapsDir_;
    int count_;
};
