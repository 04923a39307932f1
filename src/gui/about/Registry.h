#pragma once

#include <QByteArray>
#include <QString>

// Read access to the system configuration registry, one value at a time.
class Registry {
public:
    // The local-machine root key's handle value.
    static constexpr quint32 LocalMachine = 0x80000002u;
    // Value type codes.
    static constexpr quint32 TypeString = 1;
    static constexpr quint32 TypeDword = 4;

    struct Value {
        quint32 type = 0;
        // The value's bytes as stored: text in UTF-16 (little-endian), a 32-bit
        // number in four little-endian bytes.
        QByteArray data;
    };

    virtual ~Registry() = default;
    // Opens keyName under keyRoot for reading and reads valueName; false when
    // the key or the value cannot be read.
    virtual bool queryValue(quint32 keyRoot, const QString& keyName, const QString& valueName,
                            Value* value) = 0;
};
