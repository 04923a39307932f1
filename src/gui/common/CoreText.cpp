#include "gui/common/CoreText.h"

#include "core/common/FileText.h"

#include <QFile>
#include <QHash>
#include <dirent.h>
#include <sys/stat.h>

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

namespace {

bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// The entry of folder whose name reads as name, in the file system's bytes.
QByteArray entryReadAs(const QByteArray& folder, const QString& name) {
    DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return {};
    QByteArray found;
    while (const dirent* entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == name) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string CoreText::fromPath(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    // A name that is no valid UTF-8 comes back from Qt with replacement
    // characters, which name no file: find the entries those characters
    // stand for, folder by folder, so that every file can be opened.
    if (exists(encoded) || !path.contains(QChar::ReplacementCharacter))
        return encoded.toStdString();
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray resolved = path.startsWith(QLatin1Char('/')) ? QByteArray("/") : QByteArray();
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        QByteArray next = resolved;
        if (!next.isEmpty() && !next.endsWith('/'))
            next += '/';
        QByteArray name = QFile::encodeName(part);
        if (!exists(next + name) && part.contains(QChar::ReplacementCharacter)) {
            const QByteArray entry = entryReadAs(resolved, part);
            if (!entry.isEmpty())
                name = entry;
        }
        resolved = next + name;
    }
    return resolved.toStdString();
}

QString CoreText::toPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
