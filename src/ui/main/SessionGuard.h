#pragma once

#include <QObject>
#include <QString>

#include <memory>

class DiaryLock;
class frmMain;

// Keeps one diary to one window: the open diary's lock is held while it is
// open here, and a diary chosen in a chooser is locked for its chain before
// any password is asked, so no two windows (or a window and quorvel-tool)
// work on one diary.
class SessionGuard : public QObject {
    Q_OBJECT
public:
    explicit SessionGuard(frmMain* main);
    ~SessionGuard() override;

    // The guard of the one main window, or null.
    static SessionGuard* instance();

    // A diary chosen in a chooser: true when this window may go on with it
    // (it holds its lock now); false after telling the user that another
    // window holds it.
    bool claimChosen(const QString& diaryPath);
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

private:
    frmMain* main_;
    std::unique_ptr<DiaryLock> session_; // the open diary's
    std::unique_ptr<DiaryLock> chain_;   // the chosen diary's, during its chain
};
