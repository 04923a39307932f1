#include "print/PrintText.h"

#include "core/common/FileText.h"

#include <QLocale>

QString PrintText::fromFile(std::string_view bytes) {
    const auto& table = qm::FileText::codePoints();
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(table[static_cast<unsigned char>(byte)]);
    return text;
}

QString PrintText::fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString PrintText::number(std::int64_t n) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qlonglong(n));
}
