#include "EngineText.h"

#include "core/common/Message.h"

#include <QFile>

namespace qm::cli {

std::string EngineText::toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString EngineText::messageLine(const Message& message) {
    return fromBytes(message.title) + QLatin1String(": ") + fromBytes(message.text);
}

QJsonObject EngineText::messageJson(const Message& message) {
    return {{QStringLiteral("text"), fromBytes(message.text)},
            {QStringLiteral("title"), fromBytes(message.title)},
            {QStringLiteral("icon"), QLatin1String(iconName(message.icon))}};
}

} // namespace qm::cli
