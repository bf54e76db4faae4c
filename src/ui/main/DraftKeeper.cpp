#include "DraftKeeper.h"

#include "ComposerEdits.h"
#include "DiaryCrypto.h"
#include "DraftCarry.h"
#include "MsgBox.h"
#include "SessionGuard.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mFile.h"
#include "mString.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>

namespace {

DraftKeeper* theKeeper = nullptr;

qint16 checkedRating(const QButtonGroup* group) {
    const int id = group->checkedId();
    return qint16(id >= 0 && id <= 3 ? id : DiaryFormat::RatingNone);
}

void checkRating(QButtonGroup* group, qint16 rating) {
    if (QAbstractButton* option = group->button(rating))
        option->setChecked(true);
}

bool holdsAnything(const EntryDraft& draft) {
    return !draft.topic.isEmpty() || !draft.text.isEmpty() || draft.wellness != DiaryFormat::RatingNone ||
           draft.love != DiaryFormat::RatingNone;
}

// The first few words of a draft, for the question that offers it.
QString firstWords(const EntryDraft& draft) {
    const QString all = (trimBlanks(draft.topic) + QLatin1Char(' ') + draft.text).simplified();
    const QStringList words = all.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString shown = words.mid(0, 8).join(QLatin1Char(' '));
    const bool cut = words.size() > 8 || shown.size() > 60;
    shown.truncate(60);
    return shown.isEmpty() ? QCoreApplication::translate("DraftKeeper", "(only ratings)") : QStringLiteral("\"%1%2\"").arg(shown, cut ? "..." : "");
}

} // namespace

DraftKeeper::DraftKeeper(frmMain* main) : QObject(main), main_(main) {
    theKeeper = this;
    setObjectName(QStringLiteral("draftKeeper"));
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &DraftKeeper::writePending);
    connect(main->txtTopic, &QLineEdit::textChanged, this, &DraftKeeper::composerChanged);
    connect(main->txtEntry, &QPlainTextEdit::textChanged, this, &DraftKeeper::composerChanged);
    connect(main->optWellness, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            composerChanged();
    });
    connect(main->optLove, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            composerChanged();
    });
    writer_.setOnJobDone(
        [this] { QMetaObject::invokeMethod(this, &DraftKeeper::checkWriter, Qt::QueuedConnection); });
}

DraftKeeper::~DraftKeeper() {
    writer_.setOnJobDone({});
    if (theKeeper == this)
        theKeeper = nullptr;
}

DraftKeeper* DraftKeeper::instance() {
    return theKeeper;
}

EntryDraft DraftKeeper::composerContent() const {
    EntryDraft draft;
    draft.dateTime = main_->lblDateTime->text();
    draft.topic = main_->txtTopic->text();
    draft.text = LineBreaks::toStored(main_->txtEntry->toPlainText());
    draft.wellness = checkedRating(main_->optWellness);
    draft.love = checkedRating(main_->optLove);
    return draft;
}

void DraftKeeper::fillComposer(const EntryDraft& draft) {
    filling_ = true;
    main_->lblDateTime->setText(draft.dateTime);
    main_->txtTopic->setText(draft.topic);
    main_->txtEntry->setPlainText(LineBreaks::toEditor(draft.text));
    checkRating(main_->optWellness, draft.wellness);
    checkRating(main_->optLove, draft.love);
    filling_ = false;
}

void DraftKeeper::composerChanged() {
    if (filling_)
        return;
    if (!pending_) {
        pending_ = true;
        sinceFirstChange_.start();
    }
    // Wait for a pause in typing, but never longer than MaxWaitMs in all.
    const qint64 left = qMax<qint64>(0, MaxWaitMs - sinceFirstChange_.elapsed());
    quiet_.start(int(qMin<qint64>(QuietMs, left)));
}

bool DraftKeeper::tieTo(const QString& diaryPath) {
    if (diaryPath == tiedDiary_ && !tiedDiary_.isEmpty())
        return true;
    DraftOwner owner;
    if (!draftOwnerOf(diaryPath, owner).ok())
        return false; // no readable diary, no draft
    tiedDiary_ = diaryPath;
    tiedOwner_ = owner;
    return true;
}

void DraftKeeper::writePending() {
    quiet_.stop();
    if (held_ || !pending_)
        return;
    pending_ = false;
    if (!isDiaryOpen())
        return; // a draft belongs to an open diary
    const QString diary = publicDiaryPath;
    const QString previous = tiedDiary_;
    const EntryDraft draft = composerContent();
    unwritable_.clear();
    if (refusedAsReadOnly(draft))
        return;
    if (!tieTo(diary)) {
        if (holdsAnything(draft)) {
            unwritable_ = tr("the diary cannot be read");
            tellNotKept(unwritable_);
        }
        return;
    }
    // An encrypted diary's draft is sealed with the key open now: after a
    // password change in this window that is the new one.
    if (!tiedOwner_.passwordField.isEmpty())
        if (const DiaryCrypto::KeyPtr key = DiaryCrypto::currentOpenKey())
            tiedOwner_.passwordField = key->passwordField();
    if (!previous.isEmpty() && previous != diary)
        writer_.remove(draftPathFor(previous)); // the unsaved entry now belongs here
    if (!holdsAnything(draft)) {
        writer_.remove(draftPathFor(diary));
        return;
    }
    QByteArray bytes;
    const StorageStatus encoded = DraftFormat::encode(draft, tiedOwner_, bytes);
    if (!encoded.ok()) {
        unwritable_ = encoded.description;
        tellNotKept(unwritable_);
        return;
    }
    writer_.write(draftPathFor(diary), bytes);
}

bool DraftKeeper::refusedAsReadOnly(const EntryDraft& draft) {
    if (readOnlyDiary_.isEmpty() || readOnlyDiary_ != publicDiaryPath)
        return false;
    unwritable_ = tr("the diary is open for reading only");
    if (holdsAnything(draft) && !toldReadOnly_) {
        toldReadOnly_ = true;
        if (SessionGuard* guard = SessionGuard::instance())
            guard->refuseWriting();
    }
    return true;
}

void DraftKeeper::checkWriter() {
    // A draft sealed with a key the open diary no longer has (its password
    // was changed here while the draft was on its way) is written again.
    const DiaryCrypto::KeyPtr key = DiaryCrypto::currentOpenKey();
    if (key && !held_ && !tiedDiary_.isEmpty() && tiedDiary_ == publicDiaryPath &&
        !tiedOwner_.passwordField.isEmpty() && tiedOwner_.passwordField != key->passwordField() &&
        holdsAnything(composerContent())) {
        pending_ = true;
        writePending();
    }
    const StorageStatus last = writer_.lastWrite();
    if (last.ok() && unwritable_.isEmpty())
        toldNotKept_ = false; // kept again: a new failure is told again
    else if (!last.ok())
        tellNotKept(last.description);
}

void DraftKeeper::tellNotKept(const QString& why) {
    if (toldNotKept_)
        return;
    toldNotKept_ = true;
    MsgBox::show(tr("The unsaved entry cannot be kept as a draft: %1.\n"
                                "Save it, or copy its text elsewhere, before you quit.")
                     .arg(why),
                 QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, main_);
}

bool DraftKeeper::composerKept(QString* why) {
    if (heldEntry_ && (!heldEntry_->draft.topic.isEmpty() || !heldEntry_->draft.text.isEmpty())) {
        toldNotKept_ = true;
        if (why)
            *why = tr("the password of %1 was changed elsewhere, and what you were writing for it waits "
                                  "in this window for the next log-in to it")
                       .arg(QFileInfo(heldEntry_->diaryPath).fileName());
        return false;
    }
    const EntryDraft content = composerContent();
    if (content.topic.isEmpty() && content.text.isEmpty())
        return true; // no words to lose (ratings are soon chosen again)
    QString reason;
    if (!isDiaryOpen())
        reason = tr("no diary is open to keep it");
    else if (!unwritable_.isEmpty())
        reason = unwritable_;
    else if (const StorageStatus last = writer_.lastWrite(); !last.ok())
        reason = last.description;
    if (reason.isEmpty())
        return true;
    toldNotKept_ = true; // the question says it; no box follows
    if (why)
        *why = reason;
    return false;
}

void DraftKeeper::flushNow() {
    held_ = false;
    writePending();
    writer_.flush();
}

void DraftKeeper::diaryRewritten() {
    tiedDiary_.clear(); // tied again, to the header as it is now, at the next write
}

void DraftKeeper::sessionLost(bool keepDraft) {
    if (keepDraft && !held_) {
        pending_ = true;
        writePending();
        writer_.flush();
        const EntryDraft content = composerContent();
        if (holdsAnything(content) && tiedDiary_ == publicDiaryPath && !tiedOwner_.passwordField.isEmpty())
            heldEntry_ = HeldEntry{tiedDiary_, tiedOwner_, content};
    }
    quiet_.stop();
    pending_ = false;
    tiedDiary_.clear();
}

void DraftKeeper::entrySaved() {
    quiet_.stop();
    pending_ = false;
    if (isDiaryOpen())
        writer_.remove(draftPathFor(publicDiaryPath));
}

void DraftKeeper::diaryClosed(const QString& diaryPath) {
    quiet_.stop();
    pending_ = false;
    if (diaryPath == readOnlyDiary_)
        readOnlyDiary_.clear();
    else
        writer_.remove(draftPathFor(diaryPath));
    if (tiedDiary_ == diaryPath)
        tiedDiary_.clear();
}

void DraftKeeper::diaryDeleting(const QString& diaryPath) {
    if (tiedDiary_ == diaryPath) {
        quiet_.stop();
        pending_ = false;
        tiedDiary_.clear();
    }
    writer_.flush();
}

void DraftKeeper::logInStarting() {
    writePending(); // what was typed so far is the open diary's
    held_ = true;
}

void DraftKeeper::logInFailed() {
    held_ = false;
}

void DraftKeeper::loggedIn(const QString& diaryPath) {
    writer_.flush(); // nothing of the diary open before is still on its way
    const SessionGuard* guard = SessionGuard::instance();
    readOnlyDiary_ = guard && !guard->readOnlyMessage().isEmpty() ? diaryPath : QString();
    toldReadOnly_ = false;
    if (countEntriesInFile(diaryPath) >= DiaryFormat::MaxEntries) {
        // A full diary takes no entry: its draft is not offered (it stays on
        // disk), and the composer's content stays the draft of the diary it
        // was typed for.
        held_ = false;
        pending_ = false;
        quiet_.stop();
        return;
    }
    const bool carried = holdsAnything(composerContent());
    const bool restored = offerDraft(diaryPath);
    held_ = false;
    if (restored && restoredToWrite_) {
        // Written now for the key this log-in opened; the diary typed for
        // before keeps its own draft.
        restoredToWrite_ = false;
        tiedDiary_.clear();
        pending_ = true;
        writePending();
        return;
    }
    if (restored || !carried)
        return;
    // The composer's unsaved entry follows the diary now open: written as its
    // draft at once, and the draft of the diary it was typed for goes.
    pending_ = true;
    writePending();
}

bool DraftKeeper::offerDraft(const QString& diaryPath) {
    settleCarriedDraft(diaryPath); // left by an encrypt, decrypt or password change that was stopped
    const DraftReading reading = readDraftOf(diaryPath);
    std::optional<HeldEntry> heldHere;
    if (heldEntry_ && heldEntry_->diaryPath == diaryPath) {
        heldHere = heldEntry_;
        heldEntry_.reset();
    }
    DraftOwner now;
    const bool heldFits = heldHere && draftOwnerOf(diaryPath, now).ok() && heldHere->owner.fileName == now.fileName &&
                          heldHere->owner.timeOfBegin == now.timeOfBegin;
    switch (reading.state) {
    case DraftState::None:
        if (heldFits)
            return offerToWrite(diaryPath, heldHere->draft);
        return false;
    case DraftState::Sealed:
        return false;
    case DraftState::OtherKey:
        if (heldFits)
            return offerToWrite(diaryPath, heldHere->draft);
        if (!reading.owner.fileName.isEmpty())
            return offerToWrite(diaryPath, reading.draft); // readable: kept before the diary was encrypted
        reportDamaged(diaryPath, reading.problem);
        return false;
    case DraftState::Damaged:
    case DraftState::Foreign:
        reportDamaged(diaryPath, reading.problem);
        return false;
    case DraftState::Ready:
        break;
    }
    if (isLastEntryOf(diaryPath, reading.draft)) {
        removeDraftFile(draftPathFor(diaryPath)); // saved already: nothing to restore
        return false;
    }
    EntryDraft shown = composerContent();
    shown.dateTime = reading.draft.dateTime;
    if (reading.draft == shown) {
        // The composer still holds it (a log-in again after a wrong password):
        // nothing to ask, only its own date/time comes back.
        fillComposer(reading.draft);
        tiedDiary_ = diaryPath;
        tiedOwner_ = reading.owner;
        return true;
    }
    if (askToRestore(reading.draft)) {
        quiet_.stop();
        pending_ = false;
        fillComposer(reading.draft);
        tiedDiary_ = diaryPath; // the draft on disk is the composer's content
        tiedOwner_ = reading.owner;
        return true;
    }
    const StorageStatus removed = removeDraftFile(draftPathFor(diaryPath));
    if (!removed.ok())
        reportDamaged(diaryPath, removed.description);
    return false;
}

bool DraftKeeper::offerToWrite(const QString& diaryPath, const EntryDraft& draft) {
    if (!askToRestore(draft)) {
        const StorageStatus removed = removeDraftFile(draftPathFor(diaryPath));
        if (!removed.ok())
            reportDamaged(diaryPath, removed.description);
        return false;
    }
    quiet_.stop();
    pending_ = false;
    fillComposer(draft);
    restoredToWrite_ = true;
    return true;
}

bool DraftKeeper::askToRestore(const EntryDraft& draft) {
    const QString dateTime = trimBlanks(draft.dateTime);
    const QString question =
        tr("An entry of %1 was not saved:\n%2\n\nDo you want to restore it?")
            .arg(dateTime.isEmpty() ? tr("an unknown date") : dateTime, firstWords(draft));
    return MsgBox::show(question, QStringLiteral("Quorvel"), MsgBox::Buttons::YesNo, main_) == MsgBox::Answer::Yes;
}

bool DraftKeeper::isLastEntryOf(const QString& diaryPath, const EntryDraft& draft) {
    const qint32 count = countEntriesInFile(diaryPath);
    EntryText last;
    if (count < 1 || !readEntry(diaryPath, count, last).ok())
        return false;
    // Compared as Save Entry stores them: trimmed, cut to the field's width.
    const auto same = [](const QString& stored, const QString& kept, int width) {
        return trimBlanks(stored) == trimBlanks(trimBlanks(kept).left(width));
    };
    return same(last.dateTime, draft.dateTime, DiaryFormat::DateTimeWidth) &&
           same(last.topic, draft.topic, DiaryFormat::TopicWidth) &&
           same(last.text, draft.text, DiaryFormat::EntryWidth);
}

void DraftKeeper::reportDamaged(const QString& diaryPath, const QString& problem) {
    const QString draftPath = draftPathFor(diaryPath);
    if (reported_.contains(draftPath))
        return;
    reported_.insert(draftPath);
    const QString aside = moveDraftAside(draftPath);
    const QString where = aside.isEmpty() ? tr("It could not be set aside.")
                                          : tr("It was set aside as %1.").arg(QFileInfo(aside).fileName());
    MsgBox::show(
        tr("The unsaved entry kept for this diary cannot be restored: %1.\n%2").arg(problem, where),
        QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, main_);
}
