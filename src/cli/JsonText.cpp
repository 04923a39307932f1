#include "JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace qm::cli {

QString JsonText::compact(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString JsonText::indented(const QJsonObject& object, const QString& indent) {
    QString text = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    text.replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
    return indent + text;
}

QString JsonText::string(const QString& text) {
    // The document writer does the escaping; only the brackets around it go.
    const QString array =
        QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    return array.mid(1, array.size() - 2);
}

} // namespace qm::cli
