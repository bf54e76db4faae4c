#pragma once

#include <QDate>
#include <QFrame>
#include <QList>
#include <QTimer>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class SearchHitDelegate;
class SearchResultsModel;
class SearchSidePanel;
class SearchWalk;
struct EntrySearchResult;
struct FoundRow;
struct SearchQuery;
struct StorageStatus;

// The Entry Search view: a query field, a row of filters, the result list
// and the side panel with the diary's tags and days. Typing or changing a
// filter searches again after a short pause; the walk runs off the UI thread
// and the list grows while it goes on. Query and filters stay until the
// diary is closed.
class EntrySearchView : public QFrame {
    Q_OBJECT
public:
    explicit EntrySearchView(QWidget* parent);
    ~EntrySearchView() override;

    QLineEdit* txtSearchQuery = nullptr;
    QDateEdit* dtpSearchFrom = nullptr; // at its minimum date: open
    QDateEdit* dtpSearchTo = nullptr;
    QComboBox* cboSearchScope = nullptr; // in topics, in texts, both
    std::array<QCheckBox*, 4> chkSearchWellness{}; // none checked: any rating
    std::array<QCheckBox*, 4> chkSearchLove{};
    QLabel* lblSearchDays = nullptr;       // the days chosen in the side panel
    QPushButton* cmdSearchAllDays = nullptr;
    QLabel* lblSearchCount = nullptr;
    QLabel* lblSearchDamaged = nullptr;
    QListView* lstSearchResults = nullptr;
    SearchResultsModel* lstSearchResultsModel = nullptr;
    SearchSidePanel* pnlSearchSide = nullptr;

    // The view was switched to: searches when nothing was searched yet or the
    // diary has changed since.
    void viewShown();
    // Puts the text into the query field and searches at once.
    void searchFor(const QString& queryText);
    // The diary was closed, locked or another logged in to: nothing of it stays.
    void diaryClosed();
    // At log-in: gathers the diary's tags and days for the side panel, off
    // the UI thread; takes no focus.
    void summarizeDiary();

    // Entry Reading steps through the results while it shows one opened
    // from them, until another view is chosen.
    bool steppingResults() const { return stepping_; }
    void stopSteppingResults() { stepping_ = false; }
    // The result delta rows from entry; 0 when there is none.
    qint32 resultBeside(qint32 entry, int delta);

    // The search runs now (no pause), for the tests and the doors.
    void searchNow();
    bool searching() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void changed();
    SearchQuery currentQuery() const;
    void hitsArrived(const QList<FoundRow>& rows);
    void walkFinished(const EntrySearchResult& summary, const StorageStatus& status);
    void showCount(int entries);
    void openRow(int row);
    void openCurrentOrFirst();
    void showDays();
    static QDate chosenDate(const QDateEdit* edit);

    SearchHitDelegate* delegate_ = nullptr;
    SearchWalk* walk_ = nullptr;
    QTimer debounce_;
    QList<QDate> onlyDays_;
    bool searched_ = false;      // results stand for the query shown
    qint32 searchedEntries_ = 0; // the diary's entries when they were searched
    bool openWhenFound_ = false; // Enter came before the first result
    bool stepping_ = false;
};
