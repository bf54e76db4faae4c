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
