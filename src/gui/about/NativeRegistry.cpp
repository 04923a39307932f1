#include "gui/about/NativeRegistry.h"

#ifdef _WIN32

#include <array>
#include <windows.h>

bool NativeRegistry::queryValue(quint32 keyRoot, const QString& keyName, const QString& valueName,
                                Value* value) {
    // Root key handles are sign-extended 32-bit values.
    const HKEY root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(keyRoot)));
    HKEY key = nullptr;
    // Read access only: the application never writes here, and write access
    // to the local-machine keys is refused to ordinary users.
    if (RegOpenKeyExW(root, reinterpret_cast<LPCWSTR>(keyName.utf16()), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    std::array<wchar_t, 1024> buffer{};
    DWORD type = 0;
    DWORD size = DWORD(buffer.size() * sizeof(wchar_t));
    const LONG result = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(valueName.utf16()), nullptr,
                                         &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return false;
    value->type = type;
    value->data = QByteArray(reinterpret_cast<const char*>(buffer.data()), qsizetype(size));
    return true;
}

#else

bool NativeRegistry::queryValue(quint32, const QString&, const QString&, Value*) {
    return false;
}

#endif
