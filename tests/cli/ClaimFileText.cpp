#include "ClaimFileText.h"

#include <QFile>
#include <QtGlobal>

std::int64_t ClaimFileText::add(const std::string& line) {
    const std::int64_t position = static_cast<std::int64_t>(bytes_.size()) + 1;
    bytes_ += line;
    bytes_ += "\r\n";
    return position;
}

std::string ClaimFileText::key(const std::string& type, std::int64_t position) {
    return type + std::to_string(position);
}

void ClaimFileText::write(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes_.data(), static_cast<qint64>(bytes_.size())) !=
            static_cast<qint64>(bytes_.size()))
        qFatal("cannot write %s", qPrintable(path));
}
