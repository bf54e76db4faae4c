#pragma once

// Shared helpers of the test suite: a throw-away program folder and diaries
// made through the storage core.

#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// A temporary program folder with its DATA folder; the program uses it until
// the object goes away.
class TempProgramFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();
    QString path() const { return dir_.path(); }
    QString dataPath() const;

private:
    QTemporaryDir dir_;
};

// A home folder of the test's own while the object lives: HOME,
// XDG_DATA_HOME (the desktop's trash, per-user data) and XDG_CONFIG_HOME
// point into it, so nothing lands in the real user's trash or settings.
class TempHome {
public:
    TempHome();
    ~TempHome();
    QString path() const { return dir_.path(); }
    QString dataHome() const { return dir_.filePath(QStringLiteral("share")); }
    QString trashFiles() const { return dataHome() + QStringLiteral("/Trash/files"); }

private:
    QTemporaryDir dir_;
    QByteArray home_, data_, config_;
};

// Makes a diary through the storage core and returns its path; with entries
// numbered "Topic i" / "Text i" and the given ratings pattern.
QString makeDiary(const QString& owner, const QString& title, const QString& password, int entries = 0);

// The fields of one entry as the composer hands them to Save_Entry.
struct EntryValues {
    QString dateTime, topic, text;
    qint16 wellness, love;
};

// A diary in the data folder made by the program's own Create_Diary_File and
// Save_Entry, holding the given entries; ends the test run when it cannot be
// made. Returns its path.
QString makeDiaryWithEntries(const QString& owner, const QString& title, const QString& timeOfBegin,
                             const QString& password, const QList<EntryValues>& entries);

} // namespace TestSupport
