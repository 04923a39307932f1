#include "gui/common/Controls.h"

#include <QLabel>

QLabel* Controls::label(QWidget* parent, const QString& objectName, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}
