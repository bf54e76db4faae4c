#include "DraftReport.h"

#include "DraftCarry.h"
#include "EntryDraft.h"
#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {
QList<DraftNote> draftNoteOf(const QString& shownName, const QString& diaryPath);
} // namespace

QList<DraftNote> draftNoteFor(const QString& shownName, const QString& diaryPath) {
    QList<DraftNote> notes;
    if (QFileInfo::exists(carriedDraftPathFor(diaryPath)))
        notes.append({shownName,
                      QStringLiteral("draft: an unsaved entry carried over by an interrupted encrypt, decrypt or "
                                     "password change waits as %1; the next log-in or run puts it in place")
                          .arg(QFileInfo(carriedDraftPathFor(diaryPath)).fileName()),
                      true});
    return notes + draftNoteOf(shownName, diaryPath);
}

namespace {
QList<DraftNote> draftNoteOf(const QString& shownName, const QString& diaryPath) {
    const DraftReading reading = readDraftOf(diaryPath);
    switch (reading.state) {
    case DraftState::None:
        return {};
    case DraftState::OtherKey:
        return {{shownName,
                 reading.owner.fileName.isEmpty()
                     ? QStringLiteral("draft: %1; only the window that kept it can offer it again, else the next "
                                      "log-in sets it aside")
                           .arg(reading.problem)
                     : QStringLiteral("draft: %1; the next log-in offers it and keeps it as the diary is now")
                           .arg(reading.problem),
                 true}};
    case DraftState::Sealed:
        return {{shownName, QStringLiteral("draft: an encrypted unsaved entry, offered at the next log-in"), false}};
    case DraftState::Ready: {
        const QString dateTime = trimBlanks(reading.draft.dateTime);
        return {{shownName,
                 QStringLiteral("draft: an unsaved entry of %1 (topic %2 characters, text %3), offered at the next "
                                "log-in")
                     .arg(dateTime.isEmpty() ? QStringLiteral("no date/time") : dateTime)
                     .arg(reading.draft.topic.size())
                     .arg(reading.draft.text.size()),
                 false}};
    }
    case DraftState::Damaged:
    case DraftState::Foreign:
        break;
    }
    return {
        {shownName,
         QStringLiteral("draft: %1 (%2); Quorvel sets it aside at the next log-in")
             .arg(reading.state == DraftState::Damaged ? QStringLiteral("damaged") : QStringLiteral("not this diary's"),
                  reading.problem),
         true}};
}

} // namespace

QList<DraftNote> draftsWithoutDiary(const QString& folder, const QList<DiaryFileName>& diaries) {
    QSet<QString> drafted;
    for (const DiaryFileName& diary : diaries)
        drafted.insert(QDir(folder).relativeFilePath(draftPathFor(diary.fullPath)));
    QList<DraftNote> notes;
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names)
        if (isDraftFileName(name) && !drafted.contains(name))
            notes.append({name, QStringLiteral("a draft whose diary no longer exists"), true});
    return notes;
}
