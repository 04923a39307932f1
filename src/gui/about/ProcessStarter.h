#pragma once

#include <QString>

// Starts a program as a process of its own.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // False when the program could not be started.
    virtual bool start(const QString& program) = 0;
};
