// The About box (commands 14 and 15), its owner and organisation answers and
// the start of the system information tool.

#include "support/GuiTestSupport.h"

#include "MsgBox.h"
#include "Platform.h"
#include "SystemInfo.h"
#include "frmInfo.h"
#include "frmMain.h"
#include "mApplication.h"
#include "mPUBLIC.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {
const QString NotAvailable = QString::fromUtf8("Systeminformationen sind momentan nicht verfügbar");
}

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void boxShowsProgramOwnerAndOrganisation();
    void boxOpensWithoutOwnerOrOrganisation();
    void helpAndInfoOpenTheSameBox();
    void withoutSystemInformationProgramTheMessageAppears();
    void firstSystemInformationProgramOnPathIsStarted();
    void ownerIsTheFullNameFromThePasswordDatabase();
    void organisationComesFromTheEnvironment();
    void noRegistryHere();

private:
    // Runs the command, hands the box to `check`, which must close it.
    void withBox(int code, const std::function<void(frmInfo*)>& check);

    std::unique_ptr<TestSupport::TempProgramFolder> folder_;
    std::unique_ptr<frmMain> main_;
};

void TestAbout::init() {
    TestSupport::quietDialogs();
    MsgBox::clearShownForTesting();
    Platform::clearSystemInfoTesting();
    folder_ = std::make_unique<TestSupport::TempProgramFolder>();
    main_ = std::make_unique<frmMain>();
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
}

void TestAbout::cleanup() {
    main_.reset();
    folder_.reset();
    Platform::clearSystemInfoTesting();
}

void TestAbout::withBox(int code, const std::function<void(frmInfo*)>& check) {
    bool seen = false;
    TestSupport::whenModal<frmInfo>([&seen, check](frmInfo* box) {
        seen = true;
        check(box);
        if (box->isVisible())
            box->reject(); // a failed check must not leave the box open
    });
    Run_Command(code);
    QVERIFY(seen);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(frmInfo::instance(), nullptr); // unloaded after closing
}

void TestAbout::boxShowsProgramOwnerAndOrganisation() {
    Platform::setRegisteredForTesting("Jane Doe", QString::fromUtf8("Müller & Söhne GmbH"));
    bool closedByOk = false;
    withBox(15, [this, &closedByOk](frmInfo* box) {
        QCOMPARE(box->windowTitle(), QString("Info ..."));
        QCOMPARE(box->parentWidget(), main_.get());
        QVERIFY(box->isModal());
        QCOMPARE(box->tabInfo->count(), 1);
        QCOMPARE(box->tabInfo->tabText(0), QString("Info"));
        QCOMPARE(box->tabInfo->tabBar()->tabData(0).toString(), QString("EINS"));
        QCOMPARE(box->tabInfo->currentWidget(), box->fraEINS);
        QCOMPARE(box->fraEINS->objectName(), QString("fraEINS"));
        QVERIFY(box->Picture1->pixmap().width() > 0);
        QVERIFY(box->Picture2->pixmap().width() > 0);
        QCOMPARE(box->lblAppName->text(), QString("Quorvel 4"));
        QCOMPARE(box->lblName->text(), QString("Jane Doe"));
        QCOMPARE(box->lblOrg->text(), QString::fromUtf8("Müller & Söhne GmbH"));
        QCOMPARE(box->lblMade->text(), QString("Made in Germany, components in the USA"));
        // Where the diaries are: here the test's program folder.
        QCOMPARE(box->lblDataFolder->text(), "Diaries: " + QDir::toNativeSeparators(folder_->dataPath()));
        QCOMPARE(box->cmdSysInfo->text(), QString("System Info..."));
        QCOMPARE(box->cmdOk->text(), QString("OK"));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QTest::mouseClick(box->cmdOk, Qt::LeftButton);
        closedByOk = !box->isVisible();
    });
    QVERIFY(closedByOk);
    QVERIFY(MsgBox::shownForTesting().isEmpty());
}

void TestAbout::boxOpensWithoutOwnerOrOrganisation() {
    Platform::setRegisteredForTesting(QString(), QString());
    withBox(15, [](frmInfo* box) {
        QCOMPARE(box->lblName->text(), QString());
        QCOMPARE(box->lblOrg->text(), QString());
        QCOMPARE(box->lblAppName->text(), QString("Quorvel 4"));
        QTest::keyClick(box, Qt::Key_Return); // OK is the default button
    });
    QVERIFY(MsgBox::shownForTesting().isEmpty());
}

void TestAbout::helpAndInfoOpenTheSameBox() {
    Platform::setRegisteredForTesting("Owner", "Org");
    QString help;
    withBox(14, [&help](frmInfo* box) {
        help = box->lblAppName->text() + "|" + box->lblName->text() + "|" + box->lblOrg->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(help, QString("Quorvel 4|Owner|Org"));
}

void TestAbout::withoutSystemInformationProgramTheMessageAppears() {
    Platform::setSystemInfoCandidatesForTesting({});
    bool stillOpen = false;
    withBox(15, [&stillOpen](frmInfo* box) {
        QTest::mouseClick(box->cmdSysInfo, Qt::LeftButton);
        stillOpen = box->isVisible();
    });
    QVERIFY(stillOpen); // the message does not close the box
    const QList<MsgBox::Shown> shown = MsgBox::shownForTesting();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, NotAvailable);
    QCOMPARE(shown.first().title, QString("Quorvel"));
    QVERIFY(shown.first().buttons == MsgBox::Buttons::Ok);

    // Names that lie on no PATH count as missing too.
    MsgBox::clearShownForTesting();
    Platform::setSystemInfoCandidatesForTesting({"quorvel-no-such-tool-1", "quorvel-no-such-tool-2"});
    withBox(15, [](frmInfo* box) { QTest::mouseClick(box->cmdSysInfo, Qt::LeftButton); });
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
}

void TestAbout::firstSystemInformationProgramOnPathIsStarted() {
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    const QString tool = dir.filePath("sysinfo-tool");
    QFile script(tool);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\necho started > '%1'\n").arg(marker).toUtf8());
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    Platform::setSystemInfoCandidatesForTesting({"quorvel-no-such-tool", tool});
    withBox(15, [](frmInfo* box) { QTest::mouseClick(box->cmdSysInfo, Qt::LeftButton); });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
    QVERIFY(MsgBox::shownForTesting().isEmpty());
}

void TestAbout::ownerIsTheFullNameFromThePasswordDatabase() {
#ifdef Q_OS_WIN
    QSKIP("the registry answers on Windows");
#else
    // Asked another way: getent prints the passwd line; the name is the
    // fifth field up to its first comma.
    const QString getent = QStandardPaths::findExecutable("getent");
    if (getent.isEmpty())
        QSKIP("no getent on this system");
    QProcess process;
    process.start(getent, {"passwd", QString::number(getuid())});
    QVERIFY(process.waitForFinished(5000));
    const QString line = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    if (line.isEmpty())
        QSKIP("the user is not in the password database");
    const QString expected = line.section(':', 4, 4).section(',', 0, 0).trimmed();
    QCOMPARE(Get_Registered_Owner(), expected);
    QVERIFY(!Get_Registered_Owner().contains(','));
#endif
}

void TestAbout::organisationComesFromTheEnvironment() {
    const QByteArray saved = qgetenv("ORGANIZATION");
    qputenv("ORGANIZATION", "  Talveronix  ");
    QCOMPARE(Get_Registered_Organization(), QString("Talveronix"));
    qunsetenv("ORGANIZATION");
    QCOMPARE(Get_Registered_Organization(), QString());
    withBox(15, [](frmInfo* box) {
        QCOMPARE(box->lblOrg->text(), QString());
        box->reject();
    });
    if (!saved.isNull())
        qputenv("ORGANIZATION", saved);
}

void TestAbout::noRegistryHere() {
#ifdef Q_OS_WIN
    QSKIP("Windows has a registry");
#endif
    QString value = "left over";
    bool success = true;
    frmInfo::GetKeyValue(Platform::RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                         value, success);
    QVERIFY(!success);
    QCOMPARE(value, QString());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
