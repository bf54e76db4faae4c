#pragma once

#include <QList>
#include <QString>

struct DiaryFileName;

// The drafts of unsaved entries that Quorvel keeps beside the diaries, as
// quorvel-tool check reports them.
struct DraftNote {
    QString shownName; // the diary's (or, for a draft without diary, the draft's) name
    QString text;
    bool problem = false; // damaged, foreign, or its diary is gone
};

// The state of the draft beside one diary; none when it has no draft.
QList<DraftNote> draftNoteFor(const QString& shownName, const QString& diaryPath);
// Drafts in the folder whose diary is not among the listed diaries.
QList<DraftNote> draftsWithoutDiary(const QString& folder, const QList<DiaryFileName>& diaries);
