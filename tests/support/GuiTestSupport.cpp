#include "GuiTestSupport.h"

#include "MsgBox.h"
#include "Popups.h"
#include "frmEnterPassword.h"
#include "frmOpenDiary.h"

#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

namespace TestSupport {

void quietDialogs() {
    MsgBox::setTestMode(true);
    PopupSettings::setTimingForTesting(1, 1);
    PopupSettings::setSoundEnabledForTesting(false);
}

void answerLogIn(const QString& path, const QString& password) {
    whenModal<frmOpenDiary>([path](frmOpenDiary* d) {
        for (int i = 0; i < d->lstFilePath->count(); ++i)
            if (d->lstFilePath->item(i)->text() == path)
                d->lstExistantDiaries->setCurrentRow(i);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmEnterPassword>([password](frmEnterPassword* d) {
        QTest::keyClicks(d->txtPassword, password);
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
}

} // namespace TestSupport
