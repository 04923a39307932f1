#pragma once

#include <QJsonObject>
#include <QString>

namespace qm::cli {

// Pieces of JSON text for output that is written as it is produced rather
// than built as one document: a file of a million claims must not be held in
// memory as JSON.
class JsonText {
public:
    // An object on one line.
    static QString compact(const QJsonObject& object);
    // An object over several indented lines, each starting with indent.
    static QString indented(const QJsonObject& object, const QString& indent);
    // A quoted, escaped string.
    static QString string(const QString& text);
};

} // namespace qm::cli
