#include "EntrySearchView.h"

#include "EntryDisplay.h"
#include "EntrySearch.h"
#include "MainLayout.h"
#include "SearchResults.h"
#include "SearchSidePanel.h"
#include "SearchWalk.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "frmMainLook.h"
#include "mFile.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace {

constexpr int DebounceMs = 150;
// A date edit at this date stands for an open end.
const QDate OpenDate(1752, 9, 14);

quint8 ratingSet(const std::array<QCheckBox*, 4>& boxes) {
    quint8 set = 0;
    for (int i = 0; i < 4; ++i)
        if (boxes[size_t(i)]->isChecked())
            set |= quint8(1u << i);
    return set == 0 ? SearchQuery::AnyRating : set;
}

} // namespace

EntrySearchView::EntrySearchView(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("fraEntrySearch"));
    MainLook::setColours(this, MainLook::FrameFace, MainLook::DarkText);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    move(twipsToPx(MainDesign::FrameLeft), twipsToPx(MainDesign::FrameTop));
    hide();

    walk_ = new SearchWalk(this);
    connect(walk_, &SearchWalk::hitsArrived, this, &EntrySearchView::hitsArrived);
    connect(walk_, &SearchWalk::finished, this, &EntrySearchView::walkFinished);
    debounce_.setSingleShot(true);
    debounce_.setInterval(DebounceMs);
    connect(&debounce_, &QTimer::timeout, this, &EntrySearchView::searchNow);
    buildControls();
}

EntrySearchView::~EntrySearchView() = default;

void EntrySearchView::buildControls() {
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(8, 8, 8, 8);
    rows->setSpacing(6);
    const auto captionFor = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setFont(MainLook::font(9));
        label->setBuddy(buddy);
        return label;
    };

    // The query.
    txtSearchQuery = new QLineEdit(this);
    txtSearchQuery->setObjectName(QStringLiteral("txtSearchQuery"));
    txtSearchQuery->setFont(MainLook::font(10));
    txtSearchQuery->setClearButtonEnabled(true);
    txtSearchQuery->setPlaceholderText(tr("words, \"a phrase\", #tag, -word"));
    txtSearchQuery->installEventFilter(this);
    auto* queryRow = new QHBoxLayout;
    queryRow->addWidget(captionFor(tr("&Search:"), txtSearchQuery));
    queryRow->addWidget(txtSearchQuery, 1);
    rows->addLayout(queryRow);

    // Dates and where to look.
    auto* dateRow = new QHBoxLayout;
    for (QDateEdit** edit : {&dtpSearchFrom, &dtpSearchTo}) {
        *edit = new QDateEdit(this);
        (*edit)->setMinimumDate(OpenDate);
        (*edit)->setSpecialValueText(tr("open"));
        (*edit)->setDate(OpenDate);
        (*edit)->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        (*edit)->setToolTip(tr("Delete: no date"));
        (*edit)->installEventFilter(this);
        QDateEdit* e = *edit;
        connect(e, &QDateEdit::dateChanged, this, [this, e](const QDate& date) {
            // The first step away from "open" lands on today, not in 1752.
            if (date != OpenDate && date.year() < 1800 && e->property("wasOpen").toBool()) {
                e->setDate(QDate::currentDate());
                return;
            }
            e->setProperty("wasOpen", date == OpenDate);
            onlyDays_.clear();
            showDays();
            changed();
        });
        e->setProperty("wasOpen", true);
    }
    dtpSearchFrom->setObjectName(QStringLiteral("dtpSearchFrom"));
    dtpSearchTo->setObjectName(QStringLiteral("dtpSearchTo"));
    dateRow->addWidget(captionFor(tr("&From:"), dtpSearchFrom));
    dateRow->addWidget(dtpSearchFrom);
    dateRow->addWidget(captionFor(tr("&To:"), dtpSearchTo));
    dateRow->addWidget(dtpSearchTo);
    cboSearchScope = new QComboBox(this);
    cboSearchScope->setObjectName(QStringLiteral("cboSearchScope"));
    cboSearchScope->addItems({tr("in topics"), tr("in texts"), tr("both")});
    cboSearchScope->setCurrentIndex(2);
    connect(cboSearchScope, &QComboBox::currentIndexChanged, this, &EntrySearchView::changed);
    dateRow->addSpacing(12);
    dateRow->addWidget(captionFor(tr("&Look:"), cboSearchScope));
    dateRow->addWidget(cboSearchScope);
    lblSearchDays = new QLabel(this);
    lblSearchDays->setObjectName(QStringLiteral("lblSearchDays"));
    lblSearchDays->setFont(MainLook::font(9));
    cmdSearchAllDays = new QPushButton(tr("All days"), this);
    cmdSearchAllDays->setObjectName(QStringLiteral("cmdSearchAllDays"));
    connect(cmdSearchAllDays, &QPushButton::clicked, this, [this] {
        onlyDays_.clear();
        showDays();
        changed();
    });
    dateRow->addSpacing(12);
    dateRow->addWidget(lblSearchDays);
    dateRow->addWidget(cmdSearchAllDays);
    dateRow->addStretch(1);
    rows->addLayout(dateRow);
    showDays();

    // The ratings: none checked keeps any.
    const auto ratingRow = [&](const QString& caption, const char* name, const QStringList& captions,
                               std::array<QCheckBox*, 4>& boxes) {
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(caption, this);
        label->setFont(MainLook::font(9));
        label->setMinimumWidth(QFontMetrics(label->font()).horizontalAdvance(tr("Wellness:")) + 8);
        row->addWidget(label);
        for (int i = 0; i < 4; ++i) {
            auto* box = new QCheckBox(captions.at(i), this);
            box->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
            box->setFont(MainLook::font(9));
            connect(box, &QCheckBox::toggled, this, &EntrySearchView::changed);
            boxes[size_t(i)] = box;
            row->addWidget(box);
        }
        row->addStretch(1);
        rows->addLayout(row);
    };
    ratingRow(tr("Wellness:"), "chkSearchWellness", {tr("healthy"), tr("balanced"), tr("ill"), tr("none")},
              chkSearchWellness);
    ratingRow(tr("Love:"), "chkSearchLove", {tr("in love"), tr("lucky"), tr("love sick"), tr("none")}, chkSearchLove);

    // The count, then the results beside the side panel.
    auto* countRow = new QHBoxLayout;
    lblSearchCount = new QLabel(this);
    lblSearchCount->setObjectName(QStringLiteral("lblSearchCount"));
    lblSearchCount->setFont(MainLook::font(9, true));
    lblSearchDamaged = new QLabel(this);
    lblSearchDamaged->setObjectName(QStringLiteral("lblSearchDamaged"));
    lblSearchDamaged->setFont(MainLook::font(9));
    countRow->addWidget(lblSearchCount);
    countRow->addSpacing(12);
    countRow->addWidget(lblSearchDamaged, 1);
    rows->addLayout(countRow);

    auto* resultRow = new QHBoxLayout;
    lstSearchResults = new QListView(this);
    lstSearchResults->setObjectName(QStringLiteral("lstSearchResults"));
    lstSearchResults->setFont(MainLook::font(9));
    lstSearchResults->setUniformItemSizes(true);
    lstSearchResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSearchResults->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSearchResultsModel = new SearchResultsModel(lstSearchResults);
    lstSearchResults->setModel(lstSearchResultsModel);
    delegate_ = new SearchHitDelegate(lstSearchResultsModel, lstSearchResults);
    lstSearchResults->setItemDelegate(delegate_);
    lstSearchResults->installEventFilter(this);
    connect(lstSearchResults, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { openRow(index.row()); });
    resultRow->addWidget(lstSearchResults, 1);
    pnlSearchSide = new SearchSidePanel(this);
    resultRow->addWidget(pnlSearchSide);
    rows->addLayout(resultRow, 1);

    connect(txtSearchQuery, &QLineEdit::textChanged, this, &EntrySearchView::changed);
    connect(pnlSearchSide, &SearchSidePanel::tagChosen, this, [this](const QString& tag) {
        const QString term = QLatin1Char('#') + tag;
        QString text = txtSearchQuery->text().trimmed();
        if (!text.split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(term, Qt::CaseInsensitive))
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + term;
        searchFor(text);
    });
    connect(pnlSearchSide, &SearchSidePanel::dayChosen, this, [this](const QDate& day) {
        const QSignalBlocker fromQuiet(dtpSearchFrom);
        const QSignalBlocker toQuiet(dtpSearchTo);
        dtpSearchFrom->setDate(day);
        dtpSearchTo->setDate(day);
        dtpSearchFrom->setProperty("wasOpen", false);
        dtpSearchTo->setProperty("wasOpen", false);
        onlyDays_.clear();
        showDays();
        searchNow();
    });
    connect(pnlSearchSide, &SearchSidePanel::daysChosen, this, [this](const QList<QDate>& days) {
        onlyDays_ = days;
        showDays();
        searchNow();
    });
}

QDate EntrySearchView::chosenDate(const QDateEdit* edit) {
    return edit->date() == OpenDate ? QDate() : edit->date();
}

SearchQuery EntrySearchView::currentQuery() const {
    SearchQuery query;
    parseSearchTerms(txtSearchQuery->text(), query);
    query.from = chosenDate(dtpSearchFrom);
    query.to = chosenDate(dtpSearchTo);
    query.onlyDays = onlyDays_;
    query.wellness = ratingSet(chkSearchWellness);
    query.love = ratingSet(chkSearchLove);
    static const SearchQuery::Scope scopes[] = {SearchQuery::Scope::Topics, SearchQuery::Scope::Texts,
                                                SearchQuery::Scope::Both};
    query.scope = scopes[qBound(0, cboSearchScope->currentIndex(), 2)];
    return query;
}

void EntrySearchView::changed() {
    searched_ = false;
    debounce_.start();
}

void EntrySearchView::searchNow() {
    debounce_.stop();
    if (!isDiaryOpen())
        return;
    lstSearchResultsModel->clear();
    lblSearchDamaged->clear();
    showCount(0);
    searched_ = true;
    searchedEntries_ = Count_Entries();
    walk_->start(publicDiaryPath, currentQuery(), true);
}

bool EntrySearchView::searching() const {
    return debounce_.isActive() || walk_->running();
}

void EntrySearchView::hitsArrived(const QList<FoundRow>& rows) {
    const bool first = lstSearchResultsModel->rowCount() == 0;
    lstSearchResultsModel->append(rows);
    showCount(lstSearchResultsModel->rowCount());
    if (first)
        lstSearchResults->setCurrentIndex(lstSearchResultsModel->index(0));
    if (openWhenFound_) {
        openWhenFound_ = false;
        openRow(0);
    }
}

void EntrySearchView::walkFinished(const EntrySearchResult& summary, const StorageStatus& status) {
    const bool listed = walk_->listing();
    openWhenFound_ = false;
    if (!walkedAsFarAsTheMargin(status)) {
        if (listed)
            lblSearchDamaged->setText(tr("The diary could not be read: %1").arg(status.description));
        return;
    }
    if (listed) {
        showCount(lstSearchResultsModel->rowCount());
        if (summary.damaged == 1)
            lblSearchDamaged->setText(tr("1 damaged entry left out"));
        else if (summary.damaged > 1)
            lblSearchDamaged->setText(tr("%1 damaged entries left out").arg(summary.damaged));
    }
    pnlSearchSide->showSummary(summary.tags, summary.days, QDate::currentDate());
}

void EntrySearchView::showCount(int entries) {
    lblSearchCount->setText(entries == 1 ? tr("1 entry") : tr("%1 entries").arg(entries));
}

void EntrySearchView::showDays() {
    QStringList days;
    for (const QDate& day : onlyDays_)
        days << day.toString(QStringLiteral("dd.MM.yyyy"));
    lblSearchDays->setText(days.isEmpty() ? QString() : tr("Only: %1").arg(days.join(QStringLiteral(", "))));
    lblSearchDays->setVisible(!days.isEmpty());
    cmdSearchAllDays->setVisible(!days.isEmpty());
}

void EntrySearchView::viewShown() {
    if (!searched_ || debounce_.isActive() || searchedEntries_ != Count_Entries())
        searchNow();
}

void EntrySearchView::searchFor(const QString& queryText) {
    {
        const QSignalBlocker quiet(txtSearchQuery);
        txtSearchQuery->setText(queryText);
    }
    searchNow();
}

void EntrySearchView::diaryClosed() {
    walk_->cancel();
    hide();
    {
        const QSignalBlocker quiet(txtSearchQuery);
        txtSearchQuery->clear();
    }
    for (QDateEdit* edit : {dtpSearchFrom, dtpSearchTo}) {
        const QSignalBlocker quiet(edit);
        edit->setDate(OpenDate);
        edit->setProperty("wasOpen", true);
    }
    {
        const QSignalBlocker quiet(cboSearchScope);
        cboSearchScope->setCurrentIndex(2);
    }
    for (const auto* boxes : {&chkSearchWellness, &chkSearchLove})
        for (QCheckBox* box : *boxes) {
            const QSignalBlocker quiet(box);
            box->setChecked(false);
        }
    onlyDays_.clear();
    showDays();
    lstSearchResultsModel->clear();
    lblSearchCount->clear();
    lblSearchDamaged->clear();
    pnlSearchSide->clearSummary();
    debounce_.stop();
    searched_ = false;
    searchedEntries_ = 0;
    openWhenFound_ = false;
    stepping_ = false;
}

void EntrySearchView::summarizeDiary() {
    if (!isDiaryOpen() || walk_->running())
        return;
    walk_->start(publicDiaryPath, SearchQuery(), false);
}

void EntrySearchView::openRow(int row) {
    frmMain* main = frmMain::instance();
    if (!main || row < 0 || row >= lstSearchResultsModel->rowCount())
        return;
    lstSearchResults->setCurrentIndex(lstSearchResultsModel->index(row));
    Show_Entries(publicDiaryPath, lstSearchResultsModel->entryAt(row), 2);
    main->lblDialogTitle->setText(frmMain::tr(" Entry Reading"));
    hide();
    main->fraComposer->hide();
    main->fraEntryBrowser->hide();
    main->fraStaticticals->hide();
    main->fraEntryReading->show();
    stepping_ = true;
}

// Enter in the query: the result the list holds current (the first), or
// the first one found when the search is still under way.
void EntrySearchView::openCurrentOrFirst() {
    if (debounce_.isActive())
        searchNow();
    if (lstSearchResultsModel->rowCount() > 0) {
        const QModelIndex current = lstSearchResults->currentIndex();
        openRow(current.isValid() ? current.row() : 0);
    } else if (walk_->running() && walk_->listing()) {
        openWhenFound_ = true;
    } else {
        QApplication::beep();
    }
}

qint32 EntrySearchView::resultBeside(qint32 entry, int delta) {
    const int row = lstSearchResultsModel->rowOfEntry(entry);
    if (row < 0)
        return 0;
    const int next = row + delta;
    if (next < 0 || next >= lstSearchResultsModel->rowCount())
        return 0;
    lstSearchResults->setCurrentIndex(lstSearchResultsModel->index(next));
    return lstSearchResultsModel->entryAt(next);
}

bool EntrySearchView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == txtSearchQuery && plain && enter) {
        openCurrentOrFirst();
        return true;
    }
    if (watched == txtSearchQuery && plain && key->key() == Qt::Key_Down && lstSearchResultsModel->rowCount() > 0) {
        lstSearchResults->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (watched == lstSearchResults && plain && enter) {
        openRow(lstSearchResults->currentIndex().row());
        return true;
    }
    if ((watched == dtpSearchFrom || watched == dtpSearchTo) && plain && key->key() == Qt::Key_Delete) {
        static_cast<QDateEdit*>(watched)->setDate(OpenDate);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
