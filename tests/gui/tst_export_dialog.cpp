// File > Export from the window: the real dialog, driven by keys, writing
// through the library's one export on its own thread.

#include "MainWindowFixture.h"

#include "DiaryFormat.h"
#include "MsgBox.h"
#include "frmExport.h"
#include "mApplication.h"
#include "mFile.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace TestSupport;

namespace {

// Lengthens the diary at path to `entries` entries by repeating its last record.
void repeatLastEntry(const QString& path, int entries) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    QVERIFY(file.seek(size - DiaryFormat::EntrySize));
    const QByteArray record = file.read(DiaryFormat::EntrySize);
    QVERIFY(file.seek(size));
    const qint64 have = (size - DiaryFormat::HeaderSize) / DiaryFormat::EntrySize;
    for (qint64 i = have; i < entries; ++i)
        QCOMPARE(file.write(record), qint64(record.size()));
}

} // namespace

class TestExportDialog : public QObject {
    Q_OBJECT

private slots:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void keysMakeAPdfBookThatQpdfAccepts();
    void cancelLeavesTheEarlierFileWhole();
    void withNoDiaryOpenItAsksForOneFirst();
    void encryptedDiaryToJsonAsksForItsPassword();

private:
    MainWindowFixture f;
};

// Ctrl+Shift+E opens the dialog over the open diary; the file name typed,
// Enter exports the PDF book (charts included); the end message names the
// file (answered No: nothing is opened).
void TestExportDialog::keysMakeAPdfBookThatQpdfAccepts() {
    f.openDiary(12);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("days.pdf"));
    bool ended = false;
    whenModal<frmExport>([&](frmExport* dialog) {
        QCOMPARE(dialog->cboFormat->currentText(), QStringLiteral("PDF book"));
        QVERIFY(dialog->txtFile->text().endsWith(QStringLiteral("/Days.pdf")));
        QCOMPARE(dialog->focusWidget(), dialog->cboFormat); // the keys go there once it is active
        connect(dialog, &frmExport::exportEnded, this, [&](ExportOutcome::Result result) {
            QCOMPARE(result, ExportOutcome::Result::Written);
            ended = true;
        });
        dialog->txtFile->setFocus();
        dialog->txtFile->selectAll();
        QTest::keyClicks(dialog->txtFile, pdf);
        QTest::keyClick(dialog->txtFile, Qt::Key_Return);
    });
    QTest::keyClick(f.window.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(ended);
    QVERIFY(!frmExport::instance());
    const QList<MsgBox::Shown> shown = MsgBox::shownForTesting();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().text.contains(pdf));
    QCOMPARE(shown.first().buttons, MsgBox::Buttons::YesNo);

    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    QVERIFY(qpdf.waitForFinished(60000));
    QVERIFY2(qpdf.exitCode() == 0, qpdf.readAllStandardOutput().constData());
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("days.pdf")});
}

// Escape while the book is being painted stops it: the file of that name
// keeps its old bytes and nothing else is left in its folder.
void TestExportDialog::cancelLeavesTheEarlierFileWhole() {
    const QString diary = f.openDiary(1);
    repeatLastEntry(diary, 3000);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("book.pdf"));
    const QByteArray old("an earlier book\n");
    {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    bool cancelled = false;
    whenModal<frmExport>([&](frmExport* dialog) {
        connect(dialog, &frmExport::exportEnded, this, [&](ExportOutcome::Result result) {
            QCOMPARE(result, ExportOutcome::Result::Cancelled);
            cancelled = true;
        });
        dialog->txtFile->setText(pdf);
        QTest::keyClick(dialog->cmdExport, Qt::Key_Space);
        QVERIFY(dialog->running());
        // Into the second walk: the book is being written beside book.pdf.
        QTRY_VERIFY_WITH_TIMEOUT(dialog->prgExport->value() > 520, 20000);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Run_Command(22);
    QVERIFY(cancelled);
    QVERIFY(!frmExport::instance());
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("book.pdf")});
}

// Without an open diary the keys lead through Open Diary's chooser and
// password to the dialog, over the diary just logged in to.
void TestExportDialog::withNoDiaryOpenItAsksForOneFirst() {
    const QString diary = makeDiary(QStringLiteral("Ann"), QStringLiteral("Days"), QStringLiteral("pw"), 2);
    answerLogIn(diary, QStringLiteral("pw"));
    QString exporting;
    whenModal<frmExport>(
        [&](frmExport* dialog) {
            exporting = publicDiaryPath;
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        15000);
    QTest::keyClick(f.window.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(exporting, diary);
    QVERIFY(!frmExport::instance());
}

// An encrypted diary's records are read with the session's key on the
// export's thread; its JSON holds the password, which the dialog asks for.
void TestExportDialog::encryptedDiaryToJsonAsksForItsPassword() {
    QString diary;
    QVERIFY(createEncryptedDiaryFile(QStringLiteral("Ann"), QStringLiteral("secret words"), QStringLiteral("Days"),
                                     QStringLiteral("01.01.2026 10:00:00"), &diary,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    answerLogIn(diary, QStringLiteral("secret words"));
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    QVERIFY(Save_Entry(QStringLiteral("02.01.2026 10:00:00"), QStringLiteral("Sealed topic"),
                       QStringLiteral("Sealed text"), 1, 2)
                .ok());
    QTemporaryDir out;
    const QString json = out.filePath(QStringLiteral("days.json"));
    whenModal<frmExport>([&](frmExport* dialog) {
        dialog->cboFormat->setCurrentIndex(dialog->cboFormat->findText(QStringLiteral("JSON")));
        QVERIFY(dialog->txtPassword->isVisible());
        QVERIFY(dialog->lblJsonNote->isVisible());
        dialog->txtFile->setText(json);
        QTest::keyClick(dialog->cmdExport, Qt::Key_Space);
        QCOMPARE(MsgBox::shownForTesting().size(), 1); // no password: asked for, nothing started
        QVERIFY(!dialog->running());
        QTest::keyClicks(dialog->txtPassword, QStringLiteral("secret words"));
        QTest::keyClick(dialog->txtPassword, Qt::Key_Return);
    });
    Run_Command(22);
    QFile file(json);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY(written.contains("\"secret words\""));
    QVERIFY(written.contains("Sealed text"));
    QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
}

QTEST_MAIN(TestExportDialog)
#include "tst_export_dialog.moc"
