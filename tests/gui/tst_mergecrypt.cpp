// Merging a sync program's conflict copy from Open Diary, and Options ›
// Encryption on the open diary, through the real main window and dialogs.

#include "ComposerEdits.h"
#include "DiaryCrypto.h"
#include "EntryDraft.h"
#include "GuiTestSupport.h"
#include "MainWindowFixture.h"
#include "MsgBox.h"
#include "PasswordOnceDialog.h"
#include "StorageGlobals.h"
#include "frmEncryption.h"
#include "frmEnterPassword.h"
#include "frmMain.h"
#include "frmOpenDiary.h"
#include "mApplication.h"
#include "mFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QtTest>

using namespace TestSupport;

namespace {

QStringList shownTexts() {
    QStringList texts;
    for (const MsgBox::Shown& shown : MsgBox::shownForTesting())
        texts << shown.text;
    return texts;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isEncryptedFile(const QString& path) {
    const QByteArray bytes = contentOf(path);
    return bytes.size() >= DiaryFormat::HeaderSize &&
           DiaryCrypto::isEncrypted(DiaryHeader::fromRecord(bytes.constData()));
}

// Chooses the file at path in Open Diary (opened by command 1) with Enter.
void chooseInOpenDiary(const QString& path) {
    whenModal<frmOpenDiary>([path](frmOpenDiary* d) {
        for (int i = 0; i < d->lstFilePath->count(); ++i)
            if (d->lstFilePath->item(i)->text() == path)
                d->lstExistantDiaries->setCurrentRow(i);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
}

// A diary with two entries and a sync program's copy of it that got a third.
struct SplitDiary {
    QString diary, copy, diaryName;
};
SplitDiary makeSplitDiary() {
    SplitDiary split;
    split.diary = makeDiary("Ann", "Days", "pw", 2);
    const QFileInfo info(split.diary);
    split.diaryName = info.fileName();
    split.copy = info.absolutePath() + "/" + info.completeBaseName() + ".sync-conflict-20260102-101010-ABCDEFG.PDD";
    QFile::copy(split.diary, split.copy);
    QFile::setPermissions(split.copy, QFile::ReadOwner | QFile::WriteOwner);
    const QString previous = publicDiaryPath;
    publicDiaryPath = split.copy;
    if (!Save_Entry("03.01.2026 09:00:00", "On the laptop", "Written elsewhere", 1, 2).ok())
        qFatal("cannot write the copy");
    publicDiaryPath = previous;
    return split;
}

} // namespace

class TestMergeCrypt : public QObject {
    Q_OBJECT
    MainWindowFixture fixture_;
    QTemporaryDir home_;

private slots:
    void initTestCase() {
        // The desktop's trash lies in this test's own folder.
        qputenv("XDG_DATA_HOME", home_.path().toLocal8Bit());
    }
    void init() { fixture_.start(); }
    void cleanup() { fixture_.stop(); }

    void conflictCopyYesMergesSaysTheCountAndOffersTheTrash();
    void conflictCopyNoOpensTheCopy();
    void encryptAndDecryptTheOpenDiaryCarryingTheDraft();
};

void TestMergeCrypt::conflictCopyYesMergesSaysTheCountAndOffersTheTrash() {
    // The diary is open in this window while its copy is merged into it.
    const SplitDiary split = makeSplitDiary();
    answerLogIn(split.diary, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, split.diary);
    frmMain* main = fixture_.window.get();
    QTest::keyClicks(main->txtTopic, "Half a thought");
    MsgBox::clearShownForTesting();

    MsgBox::queueAnswer(MsgBox::Answer::Yes); // merge
    MsgBox::queueAnswer(MsgBox::Answer::Ok);  // the count
    MsgBox::queueAnswer(MsgBox::Answer::Yes); // to the trash
    chooseInOpenDiary(split.copy);
    int asked = 0;
    whenModal<PasswordOnceDialog>([&asked](PasswordOnceDialog* d) {
        ++asked;
        QCOMPARE(d->objectName(), QString("frmMergePassword"));
        QTest::keyClicks(d->txtPassword, "pw");
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    Run_Command(1);

    QCOMPARE(asked, 1);
    const QStringList texts = shownTexts();
    QVERIFY2(texts.size() >= 3, qPrintable(texts.join(" | ")));
    QCOMPARE(texts.at(0),
             QString("This is a copy of %1 made by a sync program. Merge its entries into %1?").arg(split.diaryName));
    QCOMPARE(texts.at(1),
             QString("1 entry of %1 was added to %2.").arg(QFileInfo(split.copy).fileName(), split.diaryName));
    QVERIFY(texts.at(2).startsWith("Move the copy"));
    QCOMPARE(countEntriesInFile(split.diary), 3);
    QVERIFY(!QFileInfo::exists(split.copy));
    // The session goes on with the merged diary; the typed topic stays.
    QCOMPARE(publicDiaryPath, split.diary);
    QVERIFY(main->lstEntriesModel->stringList().join("\n").contains("On the laptop"));
    QCOMPARE(main->lblEntryNumber->text(), QString("4"));
    QCOMPARE(main->txtTopic->text(), QString("Half a thought"));
}

void TestMergeCrypt::conflictCopyNoOpensTheCopy() {
    const SplitDiary split = makeSplitDiary();
    const QByteArray before = contentOf(split.diary);
    MsgBox::queueAnswer(MsgBox::Answer::No);
    chooseInOpenDiary(split.copy);
    whenModal<frmEnterPassword>([](frmEnterPassword* d) {
        QTest::keyClicks(d->txtPassword, "pw");
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    Run_Command(1);
    QCOMPARE(publicDiaryPath, split.copy);
    QCOMPARE(contentOf(split.diary), before);
    QVERIFY(QFileInfo::exists(split.copy));
}

void TestMergeCrypt::encryptAndDecryptTheOpenDiaryCarryingTheDraft() {
    const QString diary = makeDiary("Ann", "Days", "pw", 3);
    answerLogIn(diary, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    frmMain* main = fixture_.window.get();
    QTest::keyClicks(main->txtTopic, "Unsaved topic");
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(diary).draft.topic.trimmed(), QString("Unsaved topic"), 3000);

    // Escape cancels and changes nothing.
    const QByteArray plain = contentOf(diary);
    whenModal<frmEncryption>([](frmEncryption* d) { QTest::keyClick(d->txtPassword1, Qt::Key_Escape); });
    Run_Command(24);
    QVERIFY(!frmEncryption::instance());
    QCOMPARE(contentOf(diary), plain);

    // Encrypt: a new passphrase twice, Enter.
    whenModal<frmEncryption>([](frmEncryption* d) {
        QVERIFY(d->txtPassword2);
        QTest::keyClicks(d->txtPassword1, "a long new passphrase");
        QTest::keyClicks(d->txtPassword2, "a long new passphrase");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    Run_Command(24);
    QVERIFY(isEncryptedFile(diary));
    QVERIFY(!contentOf(diary).contains("Text 2"));
    QCOMPARE(publicDiaryPath, diary);
    EntryText entry;
    QVERIFY(readEntry(diary, 2, entry).ok()); // the session's key is the new one
    QCOMPARE(entry.text.trimmed(), QString("Text 2"));
    DraftReading draft = readDraftOf(diary);
    QCOMPARE(int(draft.state), int(DraftState::Ready));
    QCOMPARE(draft.draft.topic.trimmed(), QString("Unsaved topic"));
    QVERIFY(!contentOf(draftPathFor(diary)).contains("Unsaved"));
    QCOMPARE(main->txtTopic->text(), QString("Unsaved topic"));
    // The composer's drafts follow the new key.
    QTest::keyClicks(main->txtTopic, " more");
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(diary).draft.topic.trimmed(), QString("Unsaved topic more"), 3000);

    // Make it plain again: a wrong password first changes nothing.
    const QByteArray sealed = contentOf(diary);
    MsgBox::clearShownForTesting();
    bool unchangedAfterWrong = false;
    whenModal<frmEncryption>([&](frmEncryption* d) {
        QVERIFY(!d->txtPassword2);
        QTest::keyClicks(d->txtPassword1, "wrong");
        QTest::keyClick(d->txtPassword1, Qt::Key_Return);
        unchangedAfterWrong = contentOf(diary) == sealed && publicDiaryPath == diary;
        QTest::keyClicks(d->txtPassword1, "a long new passphrase");
        QTest::keyClick(d->txtPassword1, Qt::Key_Return);
    });
    Run_Command(24);
    QVERIFY(unchangedAfterWrong);
    QCOMPARE(shownTexts().value(0), QString("The password is not right. Nothing was changed."));
    QVERIFY(!isEncryptedFile(diary));
    QCOMPARE(publicDiaryPath, diary);
    QVERIFY(readEntry(diary, 3, entry).ok());
    QCOMPARE(entry.text.trimmed(), QString("Text 3"));
    draft = readDraftOf(diary);
    QCOMPARE(int(draft.state), int(DraftState::Ready));
    QCOMPARE(draft.draft.topic.trimmed(), QString("Unsaved topic more"));
    // The plain diary takes its new password at the next log-in.
    QVERIFY(passwordMatches(diary, "a long new passphrase"));
}

QTEST_MAIN(TestMergeCrypt)
#include "tst_mergecrypt.moc"
