#pragma once

#include "gui/about/Registry.h"

// The operating system's registry. Where there is none (anything but
// Windows) every read fails.
class NativeRegistry : public Registry {
public:
    bool queryValue(quint32 keyRoot, const QString& keyName, const QString& valueName,
                    Value* value) override;
};
