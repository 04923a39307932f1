#include "gui/common/PlainText.h"

#include <QTextDocument>

namespace {

const QString kTitlePlaceholder = QStringLiteral("[*]");
const QString kTitlePlaceholderEscaped = QStringLiteral("[*][*]");

} // namespace

QString PlainText::menuText(const QString& text) {
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString PlainText::windowTitle(const QString& text) {
    QString escaped = text;
    return escaped.replace(kTitlePlaceholder, kTitlePlaceholderEscaped);
}

QString PlainText::shownTitle(const QString& title) {
    QString shown = title;
    return shown.replace(kTitlePlaceholderEscaped, kTitlePlaceholder);
}

QString PlainText::toolTip(const QString& text) {
    if (text.isEmpty())
        return text;
    // Pre: blanks become non-breaking, so that the tip is never wrapped
    // (Qt gives NoWrap no markup of its own).
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}
