#include "gui/common/ProblemMarks.h"

ProblemMarks::ProblemMarks(QObject* parent)
    : QObject(parent) {
}

ProblemMarks::~ProblemMarks() = default;
