#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Claim files for the tests that compare one path through the engine with
// another: made by the generator with our map files, or damaged from good ones.
class GeneratedFiles {
public:
    // The generator's output for these arguments ("--maps" is added).
    static QByteArray generate(const QStringList& arguments);
    // The same, written to a file; false when the generator failed.
    static bool write(const QStringList& arguments, const QString& path);

    // Lines dropped, doubled, cut short, given stray line feeds, run into
    // the next, retyped, or given a byte that fails its check. The same seed
    // damages the same way, so any failure repeats. keepHeader leaves the
    // first line alone, so that the file still opens.
    static QByteArray damaged(const QByteArray& bytes, quint32 seed, bool keepHeader);
};
