#include "TestSupport.h"

#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <QDir>
#include <QFile>

namespace TestSupport {

TempProgramFolder::TempProgramFolder() {
    ProgramFolder::setPathForTesting(dir_.path());
    ProgramFolder::ensureDataFolder();
}

TempProgramFolder::~TempProgramFolder() {
    ProgramFolder::setPathForTesting(QString());
    publicDiaryPath.clear();
}

TempHome::TempHome() : home_(qgetenv("HOME")), data_(qgetenv("XDG_DATA_HOME")), config_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", QFile::encodeName(dir_.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("config"))));
}

TempHome::~TempHome() {
    const auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("HOME", home_);
    restore("XDG_DATA_HOME", data_);
    restore("XDG_CONFIG_HOME", config_);
}

QString TempProgramFolder::dataPath() const {
    return ProgramFolder::dataFolder();
}

QString makeDiary(const QString& owner, const QString& title, const QString& password, int entries) {
    QString path;
    const StorageStatus created = Create_Diary_File(owner, password, title, "01.01.2026 10:00:00", &path);
    if (!created.ok())
        qFatal("makeDiary: %s", qPrintable(created.description));
    const QString previous = publicDiaryPath;
    publicDiaryPath = path;
    for (int i = 1; i <= entries; ++i) {
        const StorageStatus saved =
            Save_Entry(QString("02.01.2026 10:%1:00").arg(i % 60, 2, 10, QChar('0')), QString("Topic %1").arg(i),
                       QString("Text %1").arg(i), qint16(i % 4), qint16((i + 1) % 4));
        if (!saved.ok())
            qFatal("makeDiary: %s", qPrintable(saved.description));
    }
    publicDiaryPath = previous;
    return path;
}

QString makeDiaryWithEntries(const QString& owner, const QString& title, const QString& timeOfBegin,
                             const QString& password, const QList<EntryValues>& entries) {
    QString path;
    if (!Create_Diary_File(owner, password, title, timeOfBegin, &path).ok())
        qFatal("cannot create a diary");
    publicDiaryPath = path;
    for (const EntryValues& e : entries)
        if (!Save_Entry(e.dateTime, e.topic, e.text, e.wellness, e.love).ok())
            qFatal("cannot save an entry");
    publicDiaryPath.clear();
    return path;
}

} // namespace TestSupport
