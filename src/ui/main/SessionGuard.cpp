#include "SessionGuard.h"

#include "BackupKeeper.h"
#include "ComposerEdits.h"
#include "ComposerSpelling.h"
#include "DiaryCrypto.h"
#include "DiaryLock.h"
#include "DraftKeeper.h"
#include "EntryCountMemory.h"
#include "EntryDisplay.h"
#include "EntrySearchView.h"
#include "MsgBox.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mFile.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QStringListModel>

#include <sys/stat.h>

namespace {
SessionGuard* theGuard = nullptr;
} // namespace

SessionGuard::SessionGuard(frmMain* main) : QObject(main), main_(main) {
    theGuard = this;
    setObjectName(QStringLiteral("sessionGuard"));
    poll_.setInterval(PollMs);
    settle_.setSingleShot(true);
    settle_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, &SessionGuard::lookAtFile);
    connect(&settle_, &QTimer::timeout, this, &SessionGuard::lookAtFile);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
}

SessionGuard::~SessionGuard() {
    if (theGuard == this)
        theGuard = nullptr;
}

SessionGuard* SessionGuard::instance() {
    return theGuard;
}

QString SessionGuard::heldDiary() const {
    return session_ ? session_->diaryPath() : QString();
}

QString SessionGuard::readOnlyMessage() const {
    return !readOnly_.isEmpty() && readOnly_ == publicDiaryPath ? readOnlyMessage_ : QString();
}

bool SessionGuard::refuseWriting() {
    const QString message = readOnlyMessage();
    if (message.isEmpty())
        return false;
    MsgBox::show(message, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, main_);
    return true;
}

bool SessionGuard::claimChosen(const QString& diaryPath, Chain chain) {
    chain_.reset();
    chainReadOnly_.clear();
    if (diaryPath.isEmpty() || (session_ && session_->diaryPath() == diaryPath))
        return true; // open here already
    auto lock = std::make_unique<DiaryLock>(diaryPath);
    DiaryLock::State state = lock->take();
    if (state == DiaryLock::State::OtherHost) {
        // Most often a sync program's copy of the lock of a window on that
        // computer, which this one cannot see: the user knows.
        const QString question = tr("This diary is marked open on %1 since %2. Open it here anyway?")
                                     .arg(lock->host(), lockTimeText(lock->since()));
        if (MsgBox::show(question, QStringLiteral("Quorvel"), MsgBox::Buttons::YesNo, main_) != MsgBox::Answer::Yes)
            return false;
        state = lock->take(true);
    }
    switch (state) {
    case DiaryLock::State::Taken:
        chain_ = std::move(lock);
        return true;
    case DiaryLock::State::Failed: {
        // Without a lock another window could open it too, and their writes
        // would cross: this one only reads. Deleting needs no lock: a folder
        // that takes no lock file refuses it anyway, and a full disk wants it.
        if (chain == Chain::Delete)
            return true;
        const QString message =
            tr("The folder of this diary cannot hold a lock file (%1), so this diary opens for reading "
                           "only: its entries can be read, searched and exported, but Save Entry, a password change "
                           "and keeping a draft are refused. What you type stays in the Entry Composer.")
                .arg(lock->reason());
        MsgBox::show(message, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, main_);
        if (chain == Chain::Write)
            return false;
        chainReadOnly_ = diaryPath;
        chainReadOnlyMessage_ = message;
        return true;
    }
    case DiaryLock::State::OtherHost:
    case DiaryLock::State::HeldElsewhere:
        break;
    }
    MsgBox::show(tr("This diary is already open in another Quorvel window."), QStringLiteral("Quorvel"),
                 MsgBox::Buttons::Ok, main_);
    return false;
}

void SessionGuard::chainEnded() {
    chain_.reset();
    chainReadOnly_.clear();
}

// Entry Search keeps its query and results only while one diary stays open.
static void forgetSearch() {
    if (frmMain* main = frmMain::instance(); main && main->fraEntrySearch)
        main->fraEntrySearch->diaryClosed();
}

void SessionGuard::opened(const QString& diaryPath) {
    forgetSearch();
    if (chain_ && chain_->diaryPath() == diaryPath)
        session_ = std::move(chain_);
    else if (!session_ || session_->diaryPath() != diaryPath)
        session_.reset();
    chain_.reset();
    if (chainReadOnly_ == diaryPath) {
        readOnly_ = diaryPath;
        readOnlyMessage_ = chainReadOnlyMessage_;
    } else if (session_) {
        readOnly_.clear();
    }
    chainReadOnly_.clear();
    BackupKeeper::diaryOpened(diaryPath);
    if (main_->spelling)
        main_->spelling->followOpenDiary(); // the language kept for this diary
    // The header as it is now is the one writes and the watch compare with.
    StorageStatus read;
    Read_Header_Field(diaryPath, 0, &read);
    if (read.ok()) {
        OpenedDiary::remember(diaryPath, publicHeader);
        EntryCountMemory::remember(publicHeader, countEntriesInFile(diaryPath));
        watch(diaryPath);
    } else {
        OpenedDiary::forget();
        stopWatching();
    }
}

void SessionGuard::closed() {
    forgetSearch();
    BackupKeeper::diaryClosing();
    session_.reset();
    readOnly_.clear();
    OpenedDiary::forget();
    stopWatching();
}

// --- watching the open diary's file --------------------------------------

SessionGuard::FileStamp SessionGuard::stampOf(const QString& path) {
    FileStamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.device = qint64(st.st_dev);
    stamp.inode = qint64(st.st_ino);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

void SessionGuard::watch(const QString& diaryPath) {
    stopWatching();
    watched_ = diaryPath;
    stamp_ = stampOf(diaryPath);
    watcher_.addPath(diaryPath);
    // The folder too: a sync program puts a new version in place by a rename,
    // after which the file's own watch is gone.
    watcher_.addPath(QFileInfo(diaryPath).absolutePath());
    poll_.start();
}

void SessionGuard::stopWatching() {
    poll_.stop();
    settle_.stop();
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    watched_.clear();
}

void SessionGuard::lookAtFile() {
    if (watched_.isEmpty())
        return;
    if (publicDiaryPath != watched_) {
        stopWatching(); // the session went another way
        return;
    }
    if (!watcher_.files().contains(watched_) && QFileInfo::exists(watched_))
        watcher_.addPath(watched_);
    const FileStamp now = stampOf(watched_);
    if (now == stamp_)
        return;
    const OpenedDiary::Look look = OpenedDiary::lookAt(watched_);
    if (look.change == OpenedDiary::Change::None) {
        stamp_ = now;
        // Every save and every entry that arrives: a crash keeps the count too.
        if (DiaryHeader header; OpenedDiary::headerOf(watched_, header))
            EntryCountMemory::remember(header, look.entries);
        entriesArrived(look.entries);
        return;
    }
    // Not in the middle of a dialog chain or a popup: the next look, once
    // it has closed, ends the session.
    if (QApplication::activeModalWidget())
        return;
    stamp_ = now;
    sessionLost(look);
}

void SessionGuard::entriesArrived(qint32 count) {
    if (main_->lstEntriesModel->rowCount() != count) {
        // Only the list and the number: what is being typed stays as it is.
        const int row = main_->lstEntries->currentIndex().row();
        Show_Entries(watched_, 0, 1);
        if (row >= 0 && row < main_->lstEntriesModel->rowCount())
            main_->lstEntries->setCurrentIndex(main_->lstEntriesModel->index(row));
    }
    const QString next = QString::number(count + 1);
    if (main_->lblEntryNumber->text() != next)
        main_->lblEntryNumber->setText(next);
}

void SessionGuard::sessionLost(const OpenedDiary::Look& look) {
    const QString path = watched_;
    const QString title = main_->lblTitle->text();
    const bool sameDiary = look.change == OpenedDiary::Change::HeaderChanged;
    const bool typed = !main_->txtTopic->text().isEmpty() || !main_->txtEntry->toPlainText().isEmpty();
    // The unsaved entry becomes the draft of its diary while that diary is
    // still there; none is written beside another diary or a vanished file,
    // nor for a diary open for reading only.
    const bool draftKept = sameDiary && readOnlyMessage().isEmpty();
    if (main_->draftKeeper)
        main_->draftKeeper->sessionLost(draftKept);
    publicDiaryPath.clear();
    stopWatching();
    closed();
    DiaryCrypto::clearOpenKey();
    main_->lblWhichOwner->setText(QString());
    main_->lblTitle->setText(QString());
    main_->fraEntryBrowser->hide();
    main_->fraEntryReading->hide();
    main_->fraStaticticals->hide();
    const bool keepText = typed && !draftKept;
    if (keepText) {
        // The text stays on screen, to be copied elsewhere.
        main_->lblDialogTitle->setText(tr(" Entry Compose"));
        main_->fraComposer->show();
    } else {
        main_->fraComposer->hide();
        main_->txtEntry->setPlainText(QString());
        main_->txtTopic->setText(QString());
    }

    const QString name = QFileInfo(path).fileName();
    QString text;
    switch (look.change) {
    case OpenedDiary::Change::HeaderChanged:
        text = tr("The diary \"%1\" was changed by another program: its owner, title or password is no "
                              "longer the one it was opened with (the password may have been changed on another "
                              "computer). The diary has been closed; log in again.")
                   .arg(title);
        if (typed && draftKept)
            text += tr(" What you were writing is kept and offered at the next log-in.");
        break;
    case OpenedDiary::Change::OtherDiary:
        text = tr("The diary file %1 was replaced by a different diary (another time of begin). The diary "
                              "\"%2\" has been closed, and nothing was written into the other one.")
                   .arg(name, title);
        break;
    case OpenedDiary::Change::Gone:
    case OpenedDiary::Change::None:
        text = tr("The diary file %1 of \"%2\" is gone or can no longer be read (%3). The diary has been "
                              "closed.")
                   .arg(name, title, look.description);
        break;
    }
    if (keepText)
        text += tr(" What you were writing stays in the Entry Composer.");
    MsgBox::show(text, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, main_);
}
