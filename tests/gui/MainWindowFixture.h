#pragma once

// A fresh main window over a temporary program folder for each test, with
// message boxes and popups in test mode.

#include "support/GuiTestSupport.h"

#include "MsgBox.h"
#include "Popups.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "frmPopup.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

struct MainWindowFixture {
    std::unique_ptr<TestSupport::TempProgramFolder> folder;
    std::unique_ptr<frmMain> window;

    void start(bool show = true) {
        TestSupport::quietDialogs();
        MsgBox::clearShownForTesting();
        PopupSettings::clearShownForTesting();
        folder = std::make_unique<TestSupport::TempProgramFolder>();
        publicDiaryPath.clear();
        window = std::make_unique<frmMain>();
        if (show) {
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
        }
    }
    void stop() {
        window.reset();
        publicDiaryPath.clear();
        folder.reset();
    }
    // Opens a diary the way the log-in leaves it: the path set, owner and title shown.
    QString openDiary(int entries) {
        const QString path =
            TestSupport::makeDiary(QStringLiteral("Ann"), QStringLiteral("Days"), QStringLiteral("pw"), entries);
        publicDiaryPath = path;
        return path;
    }
    // Which of the four view frames are shown, as a string such as "C---".
    QString frames() const {
        const auto mark = [](QWidget* w, char c) { return w->isHidden() ? QLatin1Char('-') : QLatin1Char(c); };
        return QString() + mark(window->fraComposer, 'C') + mark(window->fraEntryBrowser, 'B') +
               mark(window->fraEntryReading, 'R') + mark(window->fraStaticticals, 'S');
    }
};

// Rejects any dialog (not a popup) that a command opens while it lives, so a
// command that shows a dialog returns and the test goes on.
class DialogCloser {
public:
    DialogCloser() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog && !qobject_cast<frmPopup*>(dialog)) {
                seen_.append(dialog->objectName());
                dialog->reject();
            }
        });
        timer_.start();
    }
    QStringList seen() const { return seen_; }

private:
    QTimer timer_;
    QStringList seen_;
};
