#include "gui/common/CountText.h"

#include <QLocale>

QString CountText::number(std::int64_t count) {
    // The C locale leaves out the separators unless told otherwise.
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(qlonglong(count));
}

QString CountText::of(std::int64_t count, const char* one, const char* many) {
    return number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}
