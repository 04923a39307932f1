#pragma once

#include <QJsonObject>
#include <QString>
#include <string>
#include <string_view>

namespace qm {
struct Message;
}

namespace qm::cli {

// Turns the engine's single-byte strings and messages into Qt text.
class EngineText {
public:
    // Claim and map file bytes are single-byte text: one byte, one character.
    static QString fromBytes(std::string_view bytes) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    // A path as the engine's file functions expect it.
    static std::string toPath(const QString& path);

    // "Title: text", as a message box would show it, on one line.
    static QString messageLine(const Message& message);
    // {"text", "title", "icon"}
    static QJsonObject messageJson(const Message& message);
};

} // namespace qm::cli
