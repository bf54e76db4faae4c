#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class frmMain;

// Closes the open diary after a time without use: an encrypted one after 10
// minutes by default, a plain one only when the settings say so. "Use" is
// any key, click or wheel in any Quorvel window, seen by one application
// event filter. Before closing, the composer's text is kept as the diary's
// (sealed) draft, the key is wiped, the views and dialogs of the diary are
// emptied and closed, and the clipboard is cleared when it holds text of the
// diary; the log-in brings the draft back. The last 10 seconds show a
// countdown in the status bar that any key, click, wheel or mouse move stops. It closes at once when the
// desktop's screen locks or the machine goes to sleep (session and system
// bus); where neither bus is there, the timer alone serves.
class IdleLock : public QObject {
    Q_OBJECT
public:
    explicit IdleLock(frmMain* main);

    // Takes the lock time and whether plain diaries lock from the settings
    // again, and starts the time without use anew.
    void settingsChanged();

    // For tests: the time without use, in milliseconds (0: the settings').
    static void setTimeoutForTesting(int ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void screenSaverActiveChanged(bool active);
    void prepareForSleep(bool starting);
    void sessionLockAsked();

private:
    int timeoutMs() const;
    void arm();
    void idleReached();
    void tick();
    bool applies() const;
    void listenToTheDesktop();
    void closeDiary(const QString& why);

    frmMain* main_;
    QTimer idle_;
    QTimer countdown_;
    QElapsedTimer counting_; // valid while the countdown runs
    int leadMs_ = 0;
    int minutes_ = 10;
    bool plainToo_ = false;
};
