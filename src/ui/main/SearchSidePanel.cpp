#include "SearchSidePanel.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QTextCharFormat>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

constexpr int TagNameRole = Qt::UserRole;

QString entriesText(qint32 count) {
    return count == 1 ? SearchSidePanel::tr("1 entry") : SearchSidePanel::tr("%1 entries").arg(count);
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

SearchSidePanel::SearchSidePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlSearchSide"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    lblSearchTagsCaption = new QLabel(tr("Tags:"), this);
    lblSearchTagsCaption->setObjectName(QStringLiteral("lblSearchTagsCaption"));
    layout->addWidget(lblSearchTagsCaption);
    lstSearchTags = new QListWidget(this);
    lstSearchTags->setObjectName(QStringLiteral("lstSearchTags"));
    lblSearchTagsCaption->setBuddy(lstSearchTags);
    lstSearchTags->installEventFilter(this);
    // A click picks the tag; Enter is taken in the event filter (activated
    // would come twice with a double click).
    connect(lstSearchTags, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit tagChosen(item->data(TagNameRole).toString()); });
    layout->addWidget(lstSearchTags, 1);

    calSearch = new QCalendarWidget(this);
    calSearch->setObjectName(QStringLiteral("calSearch"));
    calSearch->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calSearch->setGridVisible(false);
    calendarView_ = calSearch->findChild<QAbstractItemView*>();
    calendarView_->installEventFilter(this);
    calendarView_->viewport()->installEventFilter(this);
    connect(calSearch, &QCalendarWidget::clicked, this, [this](const QDate& day) { emit dayChosen(day); });
    layout->addWidget(calSearch);

    lblOnThisDay = new QLabel(this);
    lblOnThisDay->setObjectName(QStringLiteral("lblOnThisDay"));
    lblOnThisDay->setWordWrap(true);
    lblOnThisDay->setTextFormat(Qt::RichText);
    lblOnThisDay->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(lblOnThisDay, &QLabel::linkActivated, this, [this] {
        if (!onThisDay_.isEmpty())
            emit daysChosen(onThisDay_);
    });
    layout->addWidget(lblOnThisDay);
    clearSummary();
}

void SearchSidePanel::showSummary(const QList<TagCount>& tags, const QMap<QDate, qint32>& days, const QDate& today) {
    lstSearchTags->clear();
    for (const TagCount& tag : tags) {
        auto* item = new QListWidgetItem(QStringLiteral("#%1 (%2)").arg(tag.name).arg(tag.entries), lstSearchTags);
        item->setData(TagNameRole, tag.name);
        item->setToolTip(entriesText(tag.entries));
    }

    calSearch->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        calSearch->setDateTextFormat(it.key(), bold);
    days_ = days;
    showOnThisDay(days, today);
}

void SearchSidePanel::clearSummary() {
    lstSearchTags->clear();
    calSearch->setDateTextFormat(QDate(), QTextCharFormat());
    days_.clear();
    onThisDay_.clear();
    lblOnThisDay->clear();
}

// The earlier years that have entries on today's day and month.
void SearchSidePanel::showOnThisDay(const QMap<QDate, qint32>& days, const QDate& today) {
    onThisDay_.clear();
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        const QDate& day = it.key();
        if (day.year() < today.year() && day.month() == today.month() && day.day() == today.day())
            onThisDay_.append(day);
    }
    if (onThisDay_.isEmpty()) {
        lblOnThisDay->setText(tr("Nothing on this day in earlier years.").toHtmlEscaped());
        return;
    }
    QStringList years;
    for (const QDate& day : std::as_const(onThisDay_))
        years.append(QString::number(day.year()));
    const QString line = tr("On this day: %1").arg(years.join(QStringLiteral(", ")));
    lblOnThisDay->setText(QStringLiteral("<a href=\"onthisday\">%1</a>").arg(line.toHtmlEscaped()));
}

QDate SearchSidePanel::dayAt(const QPoint& pos) const {
    const QModelIndex index = calendarView_->indexAt(pos);
    // The first row holds the names of the days.
    const int firstRow = calSearch->horizontalHeaderFormat() == QCalendarWidget::NoHorizontalHeader ? 0 : 1;
    if (!index.isValid() || index.row() < firstRow)
        return {};
    const int day = index.data(Qt::DisplayRole).toInt();
    if (day < 1)
        return {};
    QDate month(calSearch->yearShown(), calSearch->monthShown(), 1);
    // Days of the months before and after fill the first and last rows.
    if (index.row() == firstRow && day > 7)
        month = month.addMonths(-1);
    else if (index.row() >= firstRow + 4 && day < 15)
        month = month.addMonths(1);
    return QDate(month.year(), month.month(), day);
}

bool SearchSidePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstSearchTags && isEnter(event)) {
        if (QListWidgetItem* item = lstSearchTags->currentItem())
            emit tagChosen(item->data(TagNameRole).toString());
        return true;
    }
    if (watched == calendarView_ && isEnter(event)) {
        emit dayChosen(calSearch->selectedDate());
        return true;
    }
    // Ctrl+Page Up/Down step a year (Page Up/Down alone step a month).
    if (watched == calendarView_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->modifiers() & Qt::ControlModifier &&
            (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown)) {
            calSearch->setSelectedDate(calSearch->selectedDate().addYears(key->key() == Qt::Key_PageUp ? -1 : 1));
            return true;
        }
    }
    if (watched == calendarView_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<const QHelpEvent*>(event);
        const QDate day = dayAt(help->pos());
        const qint32 entries = days_.value(day);
        if (day.isValid() && entries > 0)
            QToolTip::showText(help->globalPos(), entriesText(entries), calendarView_->viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
