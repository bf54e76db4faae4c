// Registered owner and organisation of the system, and its system
// information tool. Windows reads the registry (Registry_win.cpp); Linux asks
// the password database and looks for a system-information program on PATH.
#include "SystemInfo.h"
#include "Platform.h"

#include "Registry_win.h"

#include <QProcess>
#include <QStandardPaths>

#include <optional>

#ifndef Q_OS_WIN
#include <cerrno>
#include <pwd.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

struct TestAnswers {
    std::optional<QString> owner;
    std::optional<QString> organization;
    std::optional<QStringList> candidates;
};

TestAnswers& testAnswers() {
    static TestAnswers answers;
    return answers;
}

#ifndef Q_OS_WIN
// The full name of the user from the password database: the GECOS field up
// to its first comma (the rest holds office and telephone numbers).
QString fullNameOfUser() {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int failed = 0;
    while ((failed = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (failed != 0 || !found || !found->pw_gecos)
        return {};
    return QString::fromLocal8Bit(found->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
}
#endif

} // namespace

namespace Platform {

QString registeredOwner() {
    if (testAnswers().owner)
        return *testAnswers().owner;
#ifdef Q_OS_WIN
    return Windows::registeredValue("RegisteredOwner");
#else
    return fullNameOfUser();
#endif
}

QString registeredOrganization() {
    if (testAnswers().organization)
        return *testAnswers().organization;
#ifdef Q_OS_WIN
    return Windows::registeredValue("RegisteredOrganization");
#else
    // No system-wide record of it; the traditional variable when it is set.
    return qEnvironmentVariable("ORGANIZATION").trimmed();
#endif
}

QStringList systemInformationCandidates() {
    if (testAnswers().candidates)
        return *testAnswers().candidates;
    return {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor", "lshw-gtk", "xfce4-taskmanager"};
}

bool startSystemInformation() {
#ifdef Q_OS_WIN
    if (!testAnswers().candidates)
        return Windows::startSystemInformation();
#endif
    for (const QString& candidate : systemInformationCandidates()) {
        const QString program = QStandardPaths::findExecutable(candidate);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return true;
    }
    return false;
}

#ifndef Q_OS_WIN
bool readRegistryValue(RegistryRoot, const QString&, const QString&, QString& value) {
    value.clear();
    return false;
}
#endif

void setRegisteredForTesting(const QString& owner, const QString& organization) {
    testAnswers().owner = owner;
    testAnswers().organization = organization;
}

void setSystemInfoCandidatesForTesting(const QStringList& candidates) {
    testAnswers().candidates = candidates;
}

void clearSystemInfoTesting() {
    testAnswers() = TestAnswers{};
}

} // namespace Platform
