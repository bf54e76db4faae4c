#include "DraftCarry.h"

#include "EntryDraft.h"
#include "RawFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

QString carriedDraftPathFor(const QString& diaryPath) {
    const QFileInfo draft(draftPathFor(diaryPath));
    return draft.path() + QStringLiteral("/.") + draft.fileName() + QStringLiteral(".carried");
}

StorageStatus DraftCarry::prepare(const QString& diaryPath, const DiaryCrypto::DiaryKey* from,
                                  const DiaryCrypto::DiaryKey* to, const QByteArray& newPasswordField) {
    diaryPath_ = diaryPath;
    carrying_ = false;
    std::remove(QFile::encodeName(carriedDraftPathFor(diaryPath)).constData());
    DraftReading reading = readDraftFile(draftPathFor(diaryPath), from);
    if (reading.state != DraftState::Ready)
        return StorageStatus::success(); // nothing this change can read stays as it was
    reading.owner.passwordField = newPasswordField;
    QByteArray bytes;
    StorageStatus status = DraftFormat::encode(reading.draft, reading.owner, bytes, to);
    if (status.ok())
        status = writeDraftFile(carriedDraftPathFor(diaryPath), bytes);
    if (!status.ok())
        return StorageStatus::failure(status.number,
                                      QStringLiteral("The unsaved entry kept as %1 cannot be carried over: %2")
                                          .arg(QFileInfo(draftPathFor(diaryPath)).fileName(), status.description));
    carrying_ = true;
    return status;
}

StorageStatus DraftCarry::finish() {
    if (!carrying_)
        return StorageStatus::success();
    carrying_ = false;
    const QString carried = carriedDraftPathFor(diaryPath_);
    const QString draft = draftPathFor(diaryPath_);
    if (std::rename(QFile::encodeName(carried).constData(), QFile::encodeName(draft).constData()) != 0) {
        const StorageStatus failed = StorageStatus::fromErrno(errno, draft);
        return StorageStatus::failure(
            failed.number, QStringLiteral("The unsaved entry could not be put in place as %1 (%2); it waits as %3 and "
                                          "is put in place at the next log-in")
                               .arg(QFileInfo(draft).fileName(), failed.description, QFileInfo(carried).fileName()));
    }
    syncFolder(QFileInfo(carried).path());
    return StorageStatus::success();
}

void DraftCarry::abandon() {
    if (carrying_)
        std::remove(QFile::encodeName(carriedDraftPathFor(diaryPath_)).constData());
    carrying_ = false;
}

StorageStatus settleCarriedDraft(const QString& diaryPath, bool* settled) {
    if (settled)
        *settled = false;
    const QString carried = carriedDraftPathFor(diaryPath);
    if (!QFileInfo::exists(carried))
        return StorageStatus::success();
    DraftOwner diary;
    if (!draftOwnerOf(diaryPath, diary).ok())
        return StorageStatus::success(); // no diary to judge it by: left as it is
    const DraftReading reading = readDraftFile(carried);
    // A sealed draft that cannot be opened here is judged by its Password
    // field, whose salt is the diary's own.
    const bool fits = (reading.state == DraftState::Ready && reading.owner == diary) ||
                      (reading.state == DraftState::Sealed && reading.owner.passwordField == diary.passwordField &&
                       !diary.passwordField.isEmpty());
    const QByteArray from = QFile::encodeName(carried);
    if (!fits) {
        std::remove(from.constData());
        return StorageStatus::success();
    }
    if (std::rename(from.constData(), QFile::encodeName(draftPathFor(diaryPath)).constData()) != 0)
        return StorageStatus::fromErrno(errno, draftPathFor(diaryPath));
    syncFolder(QFileInfo(carried).path());
    if (settled)
        *settled = true;
    return StorageStatus::success();
}
