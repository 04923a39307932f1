#pragma once

#include <QString>

class ProcessStarter;
class QWidget;
class Registry;

// The about box's System Info button: finds the system-information program
// through the registry and starts it.
class SystemInfo {
public:
    // Reads one registry value as text: a string as it is (up to its first
    // NUL), a 32-bit number as its decimal value; any other type leaves KeyVal
    // as it was. On failure KeyVal is emptied and the result is false.
    static bool GetKeyValue(Registry& registry, quint32 KeyRoot, const QString& KeyName,
                            const QString& SubKeyRef, QString& KeyVal);

    // Starts the program named by the registry, or tells the user that it is
    // unavailable (a message box owned by parent).
    static void StartSysInfo(Registry& registry, ProcessStarter& starter, QWidget* parent);
};
