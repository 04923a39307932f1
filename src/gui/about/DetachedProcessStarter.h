#pragma once

#include "gui/about/ProcessStarter.h"

// Starts a program detached from this one, with its own normal window.
class DetachedProcessStarter : public ProcessStarter {
public:
    bool start(const QString& program) override;
};
