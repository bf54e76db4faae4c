#pragma once

#include "DraftWriter.h"
#include "EntryDraft.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <optional>

class frmMain;

// Keeps the unsaved entry of the Entry Composer on disk while a diary is
// open: a change to the topic, the text or a rating is written as the
// diary's draft once typing pauses (QuietMs) and at the latest MaxWaitMs
// after the first change not yet written, so a crash loses at most the
// last moments of typing. The writing and its fsync run on DraftWriter's
// thread; the composer is only read here.
class DraftKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int QuietMs = 250;
    static constexpr int MaxWaitMs = 750;

    explicit DraftKeeper(frmMain* main);
    ~DraftKeeper() override;

    // The keeper of the one main window, or null.
    static DraftKeeper* instance();

    // Save Entry stored the composed entry durably: its draft goes.
    void entrySaved();
    // The diary is closed (its composer emptied): its draft goes.
    void diaryClosed(const QString& diaryPath);
    // The diary file is about to be taken away (with its draft): nothing
    // more is written for it, and no write of its draft is still on its way.
    void diaryDeleting(const QString& diaryPath);
    // A log-in is about to change the open diary: what is pending is
    // written for the diary open so far, and nothing more until it ends.
    void logInStarting();
    // The log-in failed (no diary is open now).
    void logInFailed();
    // The log-in into diaryPath succeeded ("LOGIN ALLOWED" shown): offers
    // the diary's draft, sets damaged drafts aside, and the composer's
    // unsaved content, if any, is kept as a draft of this diary from now on.
    void loggedIn(const QString& diaryPath);
    // The open diary's file changed from outside and its session ends. With
    // keepDraft (it is still that diary) the composer's unsaved entry is
    // written as its draft now; else nothing more is written for it. An
    // encrypted diary's draft is then sealed under a key the diary may no
    // longer have (its password changed elsewhere), so the entry is also held
    // here and offered at the next log-in to that diary, whatever password
    // opens it then.
    void sessionLost(bool keepDraft);
    // Writes what is pending now and waits until the draft is on disk
    // (before the program ends).
    void flushNow();
    // The open diary was rewritten in another form (encrypted, made plain)
    // with its draft carried along: drafts from now on follow its new header.
    void diaryRewritten();
    // After flushNow: whether the composer's unsaved topic and text, if any,
    // are on disk as the open diary's draft; else why not.
    bool composerKept(QString* why);

    // The composer's content as a draft.
    EntryDraft composerContent() const;
    // Fills the composer with a draft: date/time, topic, text and ratings.
    void fillComposer(const EntryDraft& draft);

private:
    void composerChanged();
    void writePending();
    bool tieTo(const QString& diaryPath);
    // Asks whether to restore the diary's draft; true when it was restored.
    bool offerDraft(const QString& diaryPath);
    // Offers an entry that is not on disk for the key open now; when it is
    // restored, loggedIn writes it as the diary's draft.
    bool offerToWrite(const QString& diaryPath, const EntryDraft& draft);
    bool askToRestore(const EntryDraft& draft);
    void reportDamaged(const QString& diaryPath, const QString& problem);
    // Asks the writer how its last draft write went; tells once when the
    // draft could not be written.
    void checkWriter();
    void tellNotKept(const QString& why);
    // True when the open diary is for reading only (said once per session).
    bool refusedAsReadOnly(const EntryDraft& draft);
    // A draft that is the diary's last entry already (a save whose draft
    // could not be removed) is stale.
    static bool isLastEntryOf(const QString& diaryPath, const EntryDraft& draft);

    frmMain* main_;
    QTimer quiet_;
    QElapsedTimer sinceFirstChange_;
    bool pending_ = false;
    bool held_ = false;    // during a log-in
    bool filling_ = false; // the keeper itself fills the composer
    QString tiedDiary_;    // the diary whose draft this keeper writes
    DraftOwner tiedOwner_;
    // The unsaved entry of an encrypted diary whose session a changed header
    // ended, until the next log-in to it.
    struct HeldEntry {
        QString diaryPath;
        DraftOwner owner;
        EntryDraft draft;
    };
    std::optional<HeldEntry> heldEntry_;
    bool restoredToWrite_ = false; // the entry restored is not on disk for the key now open
    QSet<QString> reported_;       // damaged drafts already reported in this run
    QString unwritable_;           // why the composer's content could not even be handed to the writer
    bool toldNotKept_ = false;
    // The open diary when it opened for reading only: no draft of it is
    // written or removed (another window may have it open).
    QString readOnlyDiary_;
    bool toldReadOnly_ = false;
    DraftWriter writer_;
};
