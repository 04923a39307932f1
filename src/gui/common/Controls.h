#pragma once

#include <QString>

class QLabel;
class QWidget;

// Small builders for controls that carry their design name as object name.
class Controls {
public:
    static QLabel* label(QWidget* parent, const QString& objectName, const QString& text);
};
