#pragma once

#include "OpenedDiary.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class DiaryLock;
class frmMain;

// Keeps one diary to one window: the open diary's lock is held while it is
// open here, and a diary chosen in a chooser is locked for its chain before
// any password is asked, so no two windows (or a window and quorvel-tool)
// work on one diary.
//
// It also watches the open diary's file, which a sync program may change
// from outside: entries that arrive show in the Entry Browser and the
// composer's entry number within PollMs; a changed header, a vanished file or
// another diary in its place closes the session with a message.
class SessionGuard : public QObject {
    Q_OBJECT
public:
    explicit SessionGuard(frmMain* main);
    ~SessionGuard() override;

    // The guard of the one main window, or null.
    static SessionGuard* instance();

    // A diary chosen in a chooser: true when this window may go on with it
    // (it holds its lock now, or the diary opens for reading only); false
    // after telling the user that another window holds it. A lock marked by
    // another computer is taken over when the user says so. A diary that
    // cannot hold a lock file opens for reading only, is refused to a chain
    // that writes it (a password change), and may still be deleted.
    enum class Chain { Open, Delete, Write };
    bool claimChosen(const QString& diaryPath, Chain chain = Chain::Open);
    // The chain on the chosen diary ended: its lock goes, unless the diary
    // was opened in this window.
    void chainEnded();
    // The log-in opened diaryPath: its lock stays, the lock of the diary open
    // before goes.
    void opened(const QString& diaryPath);
    // No diary is open any more in this window.
    void closed();

    // The diary whose lock the open session holds ("" when none).
    QString heldDiary() const;
    // Why the open diary opens for reading only, as the user is told; ""
    // when it may be written.
    QString readOnlyMessage() const;
    // Shows readOnlyMessage() when the open diary is for reading only; true
    // then, and the write asked for must not happen.
    bool refuseWriting();

    // The file is looked at on every change the file system reports, and by
    // a stat at least this often (network and FUSE folders report nothing).
    static constexpr int PollMs = 1000;

private:
    struct FileStamp {
        bool exists = false;
        qint64 size = -1, device = 0, inode = 0, modifiedNs = 0, changedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const QString& path);
    void watch(const QString& diaryPath);
    void stopWatching();
    void lookAtFile();
    void entriesArrived(qint32 count);
    void sessionLost(const OpenedDiary::Look& look);

    frmMain* main_;
    QFileSystemWatcher watcher_;
    QTimer poll_;
    QTimer settle_; // gathers a burst of change reports into one look
    QString watched_;
    FileStamp stamp_;
    std::unique_ptr<DiaryLock> session_; // the open diary's
    std::unique_ptr<DiaryLock> chain_;   // the chosen diary's, during its chain
    // Diaries that cannot hold a lock file: the chosen one during its chain,
    // the open one during its session, with what the user was told.
    QString chainReadOnly_, chainReadOnlyMessage_;
    QString readOnly_, readOnlyMessage_;
};
