// File › Import ... driven as a user would, over a real main window and a
// temporary program folder: a jrnl export becomes a diary that opens with its
// entries, and a cancelled import leaves nothing in the data folder.

#include "MainWindowFixture.h"

#include "frmEnterPassword.h"
#include "frmImport.h"
#include "frmOpenDiary.h"
#include "mFile.h"
#include "mString.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTemporaryDir>

using namespace TestSupport;

namespace {

// jrnl --export json with the given entries: {date, time, title, body}.
QString writeJrnl(const QTemporaryDir& dir, const QList<QStringList>& entries) {
    QJsonArray list;
    for (const QStringList& e : entries)
        list.append(QJsonObject{{"date", e.at(0)},
                                {"time", e.at(1)},
                                {"title", e.at(2)},
                                {"body", e.at(3)},
                                {"starred", false},
                                {"tags", QJsonArray{}}});
    const QString path = dir.filePath("journal.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QJsonDocument(QJsonObject{{"tags", QJsonObject{}}, {"entries", list}}).toJson());
    return path;
}

void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    QTest::keyClicks(box, text);
}

void fillIn(frmImport* d, const QString& path) {
    QCOMPARE(d->cboSource->currentText(), QString("jrnl JSON export"));
    typeInto(d->txtPath, path);
    typeInto(d->txtOwner, "Anna");
    typeInto(d->txtDiaryTitle, "Old journal");
    typeInto(d->txtPasswort, "secret");
    typeInto(d->txtPasswortReenter, "secret");
}

QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestImportDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { f.start(); }
    void cleanup() { f.stop(); }
    void jrnlExportBecomesADiaryThatOpens();
    void cancelledImportLeavesNothing();

private:
    MainWindowFixture f;
};

void TestImportDialog::jrnlExportBecomesADiaryThatOpens() {
    QTemporaryDir dir;
    const QString path = writeJrnl(dir, {{"2024-03-02", "18:05", "Second day.", "Rain all day.\nStayed in."},
                                         {"2024-03-01", "09:30", "First day.", "Café at nine \xF0\x9F\x98\x80"},
                                         {"2024-03-03", "07:00", "", "   \n"}});
    QStringList chooserLines;
    whenModal<frmImport>([&](frmImport* d) {
        fillIn(d, path);
        QTest::keyClick(d->txtPasswortReenter, Qt::Key_Return);
    });
    whenModal<frmOpenDiary>([&](frmOpenDiary* d) {
        for (int i = 0; i < d->lstExistantDiaries->count(); ++i)
            chooserLines << d->lstExistantDiaries->item(i)->text();
        d->lstExistantDiaries->setCurrentRow(0);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmEnterPassword>([](frmEnterPassword* d) {
        QTest::keyClicks(d->txtPassword, "secret");
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    QTest::keyClick(f.window.get(), Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);

    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    const QString summary = MsgBox::shownForTesting().first().text;
    QVERIFY2(summary.contains("holds 2 entries.") && summary.contains("read 3 entries, wrote 2") &&
                 summary.contains("1 entry empty") && summary.contains("marked first in: entry 2"),
             qPrintable(summary));
    QCOMPARE(chooserLines.size(), 1);
    QVERIFY2(chooserLines.first().endsWith("\tAnna\tOld journal"), qPrintable(chooserLines.first()));

    QVERIFY(isDiaryOpen());
    QCOMPARE(Count_Entries(), 2);
    EntryText first, second;
    QVERIFY(readEntry(publicDiaryPath, 1, first).ok());
    QVERIFY(readEntry(publicDiaryPath, 2, second).ok());
    QCOMPARE(trimBlanks(first.dateTime), QString("01.03.2024 09:30:00"));
    QCOMPARE(trimBlanks(first.topic), QString("First day."));
    QCOMPARE(trimBlanks(first.text), QString("Café at nine [U+1F600]"));
    QCOMPARE(trimBlanks(second.topic), QString("Second day."));
    QCOMPARE(trimBlanks(second.text), QString("Rain all day.\r\nStayed in."));
}

void TestImportDialog::cancelledImportLeavesNothing() {
    QTemporaryDir dir;
    QList<QStringList> entries;
    for (int i = 0; i < 20000; ++i)
        entries.append({"2024-01-01", "08:00", QString("Day %1").arg(i), QString(300, 'x')});
    const QString path = writeJrnl(dir, entries);
    bool wasRunning = false;
    whenModal<frmImport>([&](frmImport* d) {
        fillIn(d, path);
        QTest::keyClick(d->txtPasswortReenter, Qt::Key_Return);
        wasRunning = d->importRunning();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    // Should a diary be made after all, its chooser is closed so the checks below can tell.
    QTimer chooserCloser;
    connect(&chooserCloser, &QTimer::timeout, [] {
        if (frmOpenDiary* chooser = frmOpenDiary::instance())
            chooser->reject();
    });
    chooserCloser.start(20);
    QTest::keyClick(f.window.get(), Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);

    QVERIFY(wasRunning);
    QVERIFY(!frmOpenDiary::instance());
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    QVERIFY(!isDiaryOpen());
    QCOMPARE(everything(f.folder->dataPath()), QStringList());
}

QTEST_MAIN(TestImportDialog)
#include "tst_importdialog.moc"
