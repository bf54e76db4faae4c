#pragma once

#include "DiaryCrypto.h"
#include "StorageStatus.h"

#include <QString>

// Carries a diary's draft across a change of its key (a password change,
// encrypt, decrypt). The draft for the new key is written beside the diary
// before the rewritten diary takes the old one's place, and put in the
// draft's place after it: a process stopped in between leaves the carried
// draft waiting, and settleCarriedDraft puts it in place at the next run.
class DraftCarry {
public:
    // Reads the diary's draft with `from` (null for a plain diary) and writes
    // it for the header Password field newPasswordField (empty for a plain
    // diary), sealed with `to`. No draft, or one that cannot be read, is left
    // as it is (success); a draft that cannot be written fails, and the
    // rewrite must then not go on.
    StorageStatus prepare(const QString& diaryPath, const DiaryCrypto::DiaryKey* from, const DiaryCrypto::DiaryKey* to,
                          const QByteArray& newPasswordField);
    // The rewritten diary is in place: the carried draft becomes its draft.
    StorageStatus finish();
    // The rewrite failed: the carried draft goes, the old draft stays.
    void abandon();

private:
    QString diaryPath_;
    bool carrying_ = false;
};

// The hidden name a carried draft waits under until its diary is in place.
QString carriedDraftPathFor(const QString& diaryPath);

// Puts a carried draft left by a stopped rewrite in its place when it belongs
// to the diary as it is now (the rewrite got as far as its rename), else
// removes it (the old diary stayed). *settled says whether one was put in
// place. Call it while holding the diary's lock.
StorageStatus settleCarriedDraft(const QString& diaryPath, bool* settled = nullptr);
