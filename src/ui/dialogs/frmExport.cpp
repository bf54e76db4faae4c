#include "frmExport.h"

#include "Cp1252.h"
#include "DialogParts.h"
#include "DiaryAudit.h"
#include "MoodChart.h"
#include "MsgBox.h"
#include "StorageGlobals.h"
#include "ToolCommon.h"
#include "frmMain.h"
#include "mString.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace {

struct FormatChoice {
    ExportFormat format;
    const char* caption;
    const char* suffix;
};

// The order of cboFormat.
constexpr FormatChoice formatChoices[] = {
    {ExportFormat::Pdf, QT_TRANSLATE_NOOP("frmExport", "PDF book"), "pdf"},
    {ExportFormat::Html, QT_TRANSLATE_NOOP("frmExport", "HTML book"), "html"},
    {ExportFormat::Json, QT_TRANSLATE_NOOP("frmExport", "JSON"), "json"},
    {ExportFormat::Markdown, QT_TRANSLATE_NOOP("frmExport", "Markdown"), "md"},
    {ExportFormat::Csv, QT_TRANSLATE_NOOP("frmExport", "CSV"), "csv"},
    {ExportFormat::Text, QT_TRANSLATE_NOOP("frmExport", "plain text"), "txt"},
};

// A file name made of the diary's title: no folder separators, no leading dot.
QString fileStem(const QString& title) {
    QString stem = title;
    stem.replace(QLatin1Char('/'), QLatin1Char('_'));
    while (stem.startsWith(QLatin1Char('.')))
        stem.remove(0, 1);
    return stem.isEmpty() ? QStringLiteral("diary") : stem;
}

// The mood charts are Qt Charts graphics items, which live on the thread of
// the application only: each is drawn there, in one short turn of its event
// loop, straight into the book's painter while the book's thread waits (so
// the painter is never used by two threads at once). The book gets the same
// vector chart the tool draws.
MoodChartPainter chartsOnThreadOf(QObject* context) {
    return [context](QPainter& painter, const QRectF& target, Mood mood, const MoodTimeline& moods) {
        QMetaObject::invokeMethod(
            context, [&] { renderMoodChart(&painter, target, mood, moods); }, Qt::BlockingQueuedConnection);
    };
}

} // namespace

using namespace DialogParts;

frmExport::frmExport(const QString& diaryPath, QWidget* parent) : QDialog(parent), diaryPath_(diaryPath) {
    live_ = this;
    setObjectName(QStringLiteral("frmExport"));
    QGridLayout* grid = setUpBody(this, QStringLiteral(" ") + tr("Export"));
    lblDialogTitle = findChild<QLabel*>(QStringLiteral("lblDialogTitle"));
    QWidget* frame = grid->parentWidget();

    qint32 entries = 0;
    {
        DiaryFileReader reader;
        DiaryHeader header;
        if (reader.open(diaryPath).ok() && reader.readHeader(header).ok()) {
            title_ = trimBlanks(Cp1252::decode(header.Title));
            encrypted_ = DiaryCrypto::isEncrypted(header);
            entries = reader.wholeEntries();
        }
    }

    lblFormat = makeLabel(frame, QStringLiteral("lblFormat"), tr("&Format:"));
    cboFormat = new QComboBox(frame);
    cboFormat->setObjectName(QStringLiteral("cboFormat"));
    for (const FormatChoice& choice : formatChoices)
        cboFormat->addItem(tr(choice.caption));
    addRow(grid, lblFormat, cboFormat);

    // Which entries: all, a range of numbers or a range of days.
    lblEntries = makeLabel(frame, QStringLiteral("lblEntries"), tr("Entries:"));
    auto* which = new QWidget(frame);
    which->setObjectName(QStringLiteral("fraEntries"));
    auto* rows = new QGridLayout(which);
    rows->setContentsMargins(0, 0, 0, 0);
    optAllEntries = new QRadioButton(tr("&All"), which);
    optAllEntries->setObjectName(QStringLiteral("optAllEntries"));
    optEntryNumbers = new QRadioButton(tr("&Numbers"), which);
    optEntryNumbers->setObjectName(QStringLiteral("optEntryNumbers"));
    optEntryDates = new QRadioButton(tr("&Days"), which);
    optEntryDates->setObjectName(QStringLiteral("optEntryDates"));
    entryChoice_ = new QButtonGroup(this);
    entryChoice_->addButton(optAllEntries, 0);
    entryChoice_->addButton(optEntryNumbers, 1);
    entryChoice_->addButton(optEntryDates, 2);
    optAllEntries->setChecked(true);
    spnFirstEntry = new QSpinBox(which);
    spnFirstEntry->setObjectName(QStringLiteral("spnFirstEntry"));
    spnLastEntry = new QSpinBox(which);
    spnLastEntry->setObjectName(QStringLiteral("spnLastEntry"));
    for (QSpinBox* box : {spnFirstEntry, spnLastEntry})
        box->setRange(1, DiaryFormat::MaxEntries);
    spnFirstEntry->setValue(1);
    spnLastEntry->setValue(qMax(1, entries));
    spnFirstEntry->setAccessibleName(tr("First entry"));
    spnLastEntry->setAccessibleName(tr("Last entry"));
    dtpFromDate = new QDateEdit(QDate::currentDate().addYears(-1), which);
    dtpFromDate->setObjectName(QStringLiteral("dtpFromDate"));
    dtpToDate = new QDateEdit(QDate::currentDate(), which);
    dtpToDate->setObjectName(QStringLiteral("dtpToDate"));
    for (QDateEdit* box : {dtpFromDate, dtpToDate}) {
        box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        box->setCalendarPopup(true);
    }
    dtpFromDate->setAccessibleName(tr("From day"));
    dtpToDate->setAccessibleName(tr("To day"));
    const auto toLabel = [which](const char* name) {
        auto* label = new QLabel(tr("to"), which);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    rows->addWidget(optAllEntries, 0, 0);
    rows->addWidget(optEntryNumbers, 1, 0);
    rows->addWidget(spnFirstEntry, 1, 1);
    rows->addWidget(toLabel("lblEntryNumbersTo"), 1, 2);
    rows->addWidget(spnLastEntry, 1, 3);
    rows->addWidget(optEntryDates, 2, 0);
    rows->addWidget(dtpFromDate, 2, 1);
    rows->addWidget(toLabel("lblEntryDatesTo"), 2, 2);
    rows->addWidget(dtpToDate, 2, 3);
    addRow(grid, lblEntries, which);
    const auto followChoice = [this] {
        spnFirstEntry->setEnabled(optEntryNumbers->isChecked());
        spnLastEntry->setEnabled(optEntryNumbers->isChecked());
        dtpFromDate->setEnabled(optEntryDates->isChecked());
        dtpToDate->setEnabled(optEntryDates->isChecked());
    };
    connect(entryChoice_, &QButtonGroup::idToggled, this, followChoice);
    followChoice();

    lblPageSize = makeLabel(frame, QStringLiteral("lblPageSize"), tr("&Page size:"));
    cboPageSize = new QComboBox(frame);
    cboPageSize->setObjectName(QStringLiteral("cboPageSize"));
    cboPageSize->addItem(tr("A4"));
    cboPageSize->addItem(tr("Letter"));
    addRow(grid, lblPageSize, cboPageSize);

    lblFile = makeLabel(frame, QStringLiteral("lblFile"), tr("F&ile:"));
    auto* fileRow = new QWidget(frame);
    fileRow->setObjectName(QStringLiteral("fraFile"));
    auto* fileLayout = new QHBoxLayout(fileRow);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    txtFile = makeTextBox(fileRow, QStringLiteral("txtFile"));
    txtFile->setMinimumWidth(320);
    cmdChooseFile = new QPushButton(tr("..."), fileRow);
    cmdChooseFile->setObjectName(QStringLiteral("cmdChooseFile"));
    cmdChooseFile->setToolTip(tr("Choose the file to write"));
    cmdChooseFile->setAccessibleName(tr("Choose the file to write"));
    cmdChooseFile->setAutoDefault(false);
    fileLayout->addWidget(txtFile, 1);
    fileLayout->addWidget(cmdChooseFile);
    addRow(grid, lblFile, fileRow);
    lblFile->setBuddy(txtFile);

    lblJsonNote = new QLabel(tr("JSON keeps everything, the password included, and can be read back by import: "
                                "the file holds the diary's password and entries, readable by anyone who can "
                                "read the file. It is written readable by its owner only."),
                             frame);
    lblJsonNote->setObjectName(QStringLiteral("lblJsonNote"));
    lblJsonNote->setWordWrap(true);
    grid->addWidget(lblJsonNote, grid->rowCount(), 0, 1, 2);

    lblPassword = makeLabel(frame, QStringLiteral("lblPassword"), tr("Pass&word of the diary:"));
    txtPassword = makePasswordBox(frame, QStringLiteral("txtPassword"));
    addRow(grid, lblPassword, txtPassword);

    prgExport = new QProgressBar(frame);
    prgExport->setObjectName(QStringLiteral("prgExport"));
    prgExport->setRange(0, 1000);
    prgExport->setValue(0);
    prgExport->setAccessibleName(tr("Export progress"));
    grid->addWidget(prgExport, grid->rowCount(), 0, 1, 2);

    cmdCancel = new QPushButton(tr("Cancel"), frame);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    cmdExport = new QPushButton(tr("&Export"), frame);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    addButtonRow(grid, cmdCancel, cmdExport);
    cmdExport->setDefault(true); // Enter exports; Escape cancels (reject)

    setTabOrder(cboFormat, optAllEntries);
    setTabOrder(optAllEntries, optEntryNumbers);
    setTabOrder(optEntryNumbers, spnFirstEntry);
    setTabOrder(spnFirstEntry, spnLastEntry);
    setTabOrder(spnLastEntry, optEntryDates);
    setTabOrder(optEntryDates, dtpFromDate);
    setTabOrder(dtpFromDate, dtpToDate);
    setTabOrder(dtpToDate, cboPageSize);
    setTabOrder(cboPageSize, txtFile);
    setTabOrder(txtFile, cmdChooseFile);
    setTabOrder(cmdChooseFile, txtPassword);
    setTabOrder(txtPassword, cmdExport);
    setTabOrder(cmdExport, cmdCancel);

    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    proposedSuffix_ = QString::fromLatin1(formatChoices[0].suffix);
    txtFile->setText(QDir(documents).filePath(fileStem(title_) + QLatin1Char('.') + proposedSuffix_));

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(30);
    connect(progressTimer_, &QTimer::timeout, this, &frmExport::showProgress);
    connect(cboFormat, &QComboBox::currentIndexChanged, this, &frmExport::formatChanged);
    connect(cmdChooseFile, &QPushButton::clicked, this, &frmExport::chooseFile);
    connect(cmdExport, &QPushButton::clicked, this, &frmExport::startExport);
    connect(cmdCancel, &QPushButton::clicked, this, &frmExport::reject);
    formatChanged();
    cboFormat->setFocus();
    setUpWindow(this, tr("Export"));
}

frmExport::~frmExport() {
    if (thread_) {
        // Never left running: the export stops at its next entry.
        cancel_ = true;
        while (!thread_->wait(10))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        delete thread_;
    }
    if (live_ == this)
        live_ = nullptr;
}

frmExport* frmExport::instance() {
    return live_;
}

ExportFormat frmExport::chosenFormat() const {
    return formatChoices[qBound(0, cboFormat->currentIndex(), int(std::size(formatChoices)) - 1)].format;
}

void frmExport::formatChanged() {
    const int index = qBound(0, cboFormat->currentIndex(), int(std::size(formatChoices)) - 1);
    const ExportFormat format = formatChoices[index].format;
    const bool pdf = format == ExportFormat::Pdf;
    lblPageSize->setEnabled(pdf);
    cboPageSize->setEnabled(pdf);
    lblJsonNote->setVisible(format == ExportFormat::Json);
    lblPassword->setVisible(format == ExportFormat::Json && encrypted_);
    txtPassword->setVisible(format == ExportFormat::Json && encrypted_);
    // The proposed name follows the format, unless the user named another suffix.
    const QString suffix = QString::fromLatin1(formatChoices[index].suffix);
    const QString file = txtFile->text();
    const QString old = QLatin1Char('.') + proposedSuffix_;
    if (file.endsWith(old, Qt::CaseInsensitive))
        txtFile->setText(file.left(file.size() - old.size()) + QLatin1Char('.') + suffix);
    proposedSuffix_ = suffix;
}

void frmExport::chooseFile() {
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Export to"), txtFile->text());
    if (!chosen.isEmpty())
        txtFile->setText(chosen);
}

void frmExport::startExport() {
    if (thread_)
        return;
    ExportRequest request;
    request.diaryPath = diaryPath_;
    ExportOptions& options = request.options;
    options.format = chosenFormat();
    options.pageSize = cboPageSize->currentIndex() == 1 ? BookPageSize::Letter : BookPageSize::A4;
    options.outputPath = trimBlanks(txtFile->text());
    const QString title = tr("Export");
    if (options.outputPath.isEmpty()) {
        MsgBox::show(tr("Choose the file to write."), title, MsgBox::Buttons::Ok, this);
        txtFile->setFocus();
        return;
    }
    if (QFileInfo(options.outputPath).isRelative())
        options.outputPath = QDir::home().filePath(options.outputPath);
    if (optEntryNumbers->isChecked()) {
        if (spnFirstEntry->value() > spnLastEntry->value()) {
            MsgBox::show(tr("The first entry number is greater than the last."), title, MsgBox::Buttons::Ok, this);
            spnFirstEntry->setFocus();
            return;
        }
        options.part.firstEntry = spnFirstEntry->value();
        options.part.lastEntry = spnLastEntry->value();
    } else if (optEntryDates->isChecked()) {
        if (dtpFromDate->date() > dtpToDate->date()) {
            MsgBox::show(tr("The first day is later than the last."), title, MsgBox::Buttons::Ok, this);
            dtpFromDate->setFocus();
            return;
        }
        options.part.from = dtpFromDate->date();
        options.part.to = dtpToDate->date();
    }
    if (const QString refused = refusedOutput(options.outputPath, diaryPath_); !refused.isEmpty()) {
        MsgBox::show(refused, title, MsgBox::Buttons::Ok, this);
        txtFile->setFocus();
        return;
    }
    if (options.format == ExportFormat::Json && encrypted_) {
        if (trimBlanks(txtPassword->text()).isEmpty()) {
            MsgBox::show(tr("The JSON file holds the diary's password: type it, please."), title,
                         MsgBox::Buttons::Ok, this);
            txtPassword->setFocus();
            return;
        }
        request.password = txtPassword->text();
    }
    writtenPath_ = options.outputPath;

    ExportControl control;
    control.cancel = &cancel_;
    control.progress = [this](qint64 done, qint64 total) {
        total_.store(total, std::memory_order_relaxed);
        done_.store(done, std::memory_order_relaxed);
    };
    control.drawChart = chartsOnThreadOf(this);
    cancel_ = false;
    done_ = 0;
    total_ = 0;
    prgExport->setValue(0);
    setChoicesEnabled(false);
    cmdCancel->setFocus();
    thread_ = QThread::create([this, request, control] { outcome_ = runExport(request, control); });
    thread_->setObjectName(QStringLiteral("export"));
    connect(thread_, &QThread::finished, this, &frmExport::exportFinished);
    progressTimer_->start();
    thread_->start();
}

// Nothing of the request changes while it is being written.
void frmExport::setChoicesEnabled(bool enabled) {
    const QList<QWidget*> choices{cboFormat, cboPageSize, txtFile, txtPassword, cmdChooseFile, cmdExport,
                                  findChild<QWidget*>(QStringLiteral("fraEntries"))};
    for (QWidget* choice : choices)
        choice->setEnabled(enabled);
}

void frmExport::showProgress() {
    const qint64 total = total_.load(std::memory_order_relaxed);
    if (total > 0)
        prgExport->setValue(int(done_.load(std::memory_order_relaxed) * 1000 / total));
}

void frmExport::exportFinished() {
    progressTimer_->stop();
    showProgress();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    setChoicesEnabled(true);
    cmdCancel->setEnabled(true);
    formatChanged();
    const ExportOutcome::Result result = outcome_.result;
    emit exportEnded(result);
    if (result == ExportOutcome::Result::Cancelled) {
        QDialog::reject();
        return;
    }
    if (result == ExportOutcome::Result::Failed) {
        prgExport->setValue(0);
        MsgBox::show(tr("The diary was not exported: %1").arg(outcome_.error), tr("Export"), MsgBox::Buttons::Ok,
                     this);
        txtFile->setFocus();
        return;
    }
    QString text = tr("The diary was exported to %1.").arg(QDir::toNativeSeparators(writtenPath_));
    if (!outcome_.warnings.isEmpty())
        text += QStringLiteral("\n\n") + outcome_.warnings.join(QLatin1Char('\n'));
    text += QStringLiteral("\n\n") + tr("Open it now?");
    const bool open = MsgBox::show(text, tr("Export"), MsgBox::Buttons::YesNo, this) == MsgBox::Answer::Yes;
    accept();
    if (open)
        QDesktopServices::openUrl(QUrl::fromLocalFile(writtenPath_));
}

void frmExport::reject() {
    if (thread_) {
        // Stops at the next entry; the dialog closes once the export has let go of its file.
        cancel_ = true;
        cmdCancel->setEnabled(false);
        return;
    }
    QDialog::reject();
}

void frmExport::closeEvent(QCloseEvent* event) {
    if (thread_) {
        reject();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Show_frmExport() {
    if (frmExport::instance() || publicDiaryPath.isEmpty())
        return;
    auto* dialog = new frmExport(publicDiaryPath, frmMain::instance());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
