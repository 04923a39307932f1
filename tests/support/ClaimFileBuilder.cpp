#include "ClaimFileBuilder.h"

#include <QFile>
#include <cstdio>

std::string ClaimFileBuilder::record(const std::string& type,
                                     const std::vector<std::pair<int, std::string>>& values,
                                     std::size_t length) {
    std::string line(length, ' ');
    line.replace(0, type.size(), type);
    for (const auto& [column, text] : values)
        line.replace(static_cast<std::size_t>(column - 1), text.size(), text);
    line.resize(length, ' ');
    return line;
}

std::string ClaimFileBuilder::digits(long long value, int width) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0*lld", width, value);
    return buf;
}

ClaimFileBuilder& ClaimFileBuilder::add(const std::string& line) {
    bytes_ += line;
    bytes_ += lineEnd;
    return *this;
}

std::int64_t ClaimFileBuilder::append(const std::string& line) {
    const std::int64_t position = nextPosition();
    add(line);
    return position;
}

std::string ClaimFileBuilder::key(const std::string& type, std::int64_t position) {
    return type + std::to_string(position);
}

void ClaimFileBuilder::write(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes_.data(), static_cast<qint64>(bytes_.size())) !=
            static_cast<qint64>(bytes_.size()))
        qFatal("cannot write %s", qPrintable(path));
}

ClaimFileBuilder& ClaimFileBuilder::addRaw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
}
