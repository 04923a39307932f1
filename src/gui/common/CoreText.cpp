#include "gui/common/CoreText.h"

#include <QFile>
#include <QStringDecoder>

QString CoreText::toQString(std::string_view text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::string CoreText::fromPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString CoreText::toPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
