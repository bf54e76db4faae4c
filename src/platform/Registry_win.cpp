// Registry readers of the About box. Only Windows has a registry: elsewhere
// this file compiles to nothing and SystemInfo.cpp answers.
#include <QtGlobal>

#ifdef Q_OS_WIN
#include "Registry_win.h"
#include "SystemInfo.h"

#include <QFile>
#include <QProcess>

#include <cstring>
#include <windows.h>

namespace {

HKEY rootKey(Platform::RegistryRoot root) {
    switch (root) {
    case Platform::RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case Platform::RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case Platform::RegistryRoot::Users:
        return HKEY_USERS;
    case Platform::RegistryRoot::LocalMachine:
        break;
    }
    return HKEY_LOCAL_MACHINE;
}

// The key that holds the registered owner and organisation: it depends on
// the family of Windows.
QByteArray currentVersionKey() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info; // 148
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL known = GetVersionExA(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (!known)
        return {};
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return "Software\\Microsoft\\Windows\\CurrentVersion";
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return "Software\\Microsoft\\Windows NT\\CurrentVersion";
    return {};
}

} // namespace

namespace Platform {

bool readRegistryValue(RegistryRoot root, const QString& keyName, const QString& valueName, QString& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(rootKey(root), keyName.toLocal8Bit().constData(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    char buffer[1024];
    std::memset(buffer, 0, sizeof buffer);
    DWORD length = sizeof buffer;
    DWORD type = 0;
    const LONG queried = RegQueryValueExA(key, valueName.toLocal8Bit().constData(), nullptr, &type,
                                          reinterpret_cast<LPBYTE>(buffer), &length);
    RegCloseKey(key);
    if (queried != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    DWORD kept = length;
    if (kept > 0 && buffer[kept - 1] == '\0')
        --kept; // the terminating zero is not part of the text
    if (type == REG_SZ) {
        value = QString::fromLocal8Bit(buffer, static_cast<qsizetype>(kept));
    } else if (type == REG_DWORD && length >= sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, buffer, sizeof number);
        value = QString::number(number);
    }
    return true;
}

namespace Windows {

QString registeredValue(const char* valueName) {
    const QByteArray keyName = currentVersionKey();
    if (keyName.isEmpty())
        return {};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.constData(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    char buffer[255];
    std::memset(buffer, ' ', sizeof buffer);
    DWORD length = sizeof buffer;
    DWORD type = 0;
    const LONG queried = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &length);
    RegCloseKey(key);
    if (queried != ERROR_SUCCESS || length > sizeof buffer)
        return {};
    // The text ends at its terminating zero character.
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(qstrnlen(buffer, length)));
}

bool startSystemInformation() {
    QString program;
    if (!readRegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", program)) {
        QString folder;
        if (!readRegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                               folder))
            return false;
        program = folder + "\\MSINFO32.EXE";
        if (!QFile::exists(program))
            return false;
    }
    // A detached program opens its own normal window, which takes the focus.
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

} // namespace Windows
} // namespace Platform
#endif
