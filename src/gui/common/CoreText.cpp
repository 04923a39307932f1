#include "gui/common/CoreText.h"

#include "core/common/FileText.h"

#include <QFile>
#include <QHash>

QString CoreText::fromFile(std::string_view bytes) {
    const auto& table = qm::FileText::codePoints();
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(table[static_cast<unsigned char>(byte)]);
    return text;
}

std::string CoreText::toFileBytes(const QString& text) {
    static const QHash<char16_t, char> bytesOf = [] {
        QHash<char16_t, char> map;
        const auto& table = qm::FileText::codePoints();
        for (std::size_t byte = 0; byte < table.size(); ++byte)
            map.insert(table[byte], static_cast<char>(byte));
        return map;
    }();
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (const QChar c : text)
        bytes.push_back(bytesOf.value(c.unicode(), '?'));
    return bytes;
}

QString CoreText::fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string CoreText::fromPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString CoreText::toPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
