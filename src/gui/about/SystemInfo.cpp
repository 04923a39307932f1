#include "gui/about/SystemInfo.h"

#include "gui/about/Branding.h"
#include "gui/about/ProcessStarter.h"
#include "gui/about/Registry.h"
#include "gui/common/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString stringValue(const QByteArray& data) {
    QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2);
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

// The whole 32-bit value, zero bytes included, as stored (little-endian).
QString dwordValue(const QByteArray& data) {
    quint32 number = 0;
    for (qsizetype i = qMin<qsizetype>(data.size(), 4) - 1; i >= 0; --i)
        number = (number << 8) | quint8(data.at(i));
    return QString::number(number);
}

} // namespace

bool SystemInfo::GetKeyValue(Registry& registry, quint32 KeyRoot, const QString& KeyName,
                             const QString& SubKeyRef, QString& KeyVal) {
    Registry::Value value;
    if (!registry.queryValue(KeyRoot, KeyName, SubKeyRef, &value)) {
        KeyVal.clear();
        return false;
    }
    if (value.type == Registry::TypeString)
        KeyVal = stringValue(value.data);
    else if (value.type == Registry::TypeDword)
        KeyVal = dwordValue(value.data);
    return true;
}

void SystemInfo::StartSysInfo(Registry& registry, ProcessStarter& starter, QWidget* parent) {
    QString program;
    bool found = GetKeyValue(registry, Registry::LocalMachine,
                             QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                             QStringLiteral("PATH"), program);
    if (!found) {
        QString folder;
        if (GetKeyValue(registry, Registry::LocalMachine,
                        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                        QStringLiteral("MSINFO"), folder)) {
            program = folder + QDir::separator() + QStringLiteral("MSINFO32.EXE");
            found = QFileInfo(program).isFile();
        }
    }
    if (found && starter.start(program))
        return;
    MessageBoxes::showMessage(parent,
                              QStringLiteral("System Information Is Unavailable At This Time"),
                              Branding::title(), qm::MessageIcon::None, qm::MessageButtons::Ok);
}
