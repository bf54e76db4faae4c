#pragma once

// Shared helpers of the test suite: a throw-away program folder and diaries
// made through the storage core.

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

} // namespace TestSupport
