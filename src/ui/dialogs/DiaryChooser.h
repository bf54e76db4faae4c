#pragma once

#include <QDialog>

class QLabel;
class QLayout;
class QListWidget;
class QPushButton;

// What the three diary choosers share: one line per diary file of the data
// folder (number, tab, owner, tab, title) in lstExistantDiaries, the full
// path of each in the hidden parallel list lstFilePath, the position label
// and the confirm/cancel buttons. Each chooser is its own window class.
class DiaryChooser : public QDialog {
    Q_OBJECT
public:
    ~DiaryChooser() override;

    QLabel* lblDialogTitle = nullptr;
    QLabel* Labe1 = nullptr;
    QLabel* lblEntryHeader = nullptr;
    QLabel* lblwhichlistlndex = nullptr;
    QListWidget* lstExistantDiaries = nullptr;
    QPushButton* cmdCancel = nullptr;
    QListWidget* lstFilePath = nullptr; // never visible
    QListWidget* fileFiles = nullptr;   // never visible: the "*.PDD" names of the data folder

    // The action button (cmdOpenDiary or cmdChangePassword).
    QPushButton* actionButton() const { return action_; }
    // The selected line (-1 when none) and its full path ("" when none).
    int selectedRow() const;
    QString selectedPath() const;

protected:
    struct Design {
        QString name;       // window class name
        QString caption;    // window caption; the title strip repeats it after a blank
        QString actionName; // object name of the action button
        QString actionIcon;
        QString actionToolTip;
        QString initialPosition; // first text of lblwhichlistlndex
        bool skipOpenDiary;      // leave out the diary that is open
        bool stopAtFirstFailure; // report the first unreadable file and list no further
    };
    DiaryChooser(const Design& design, QWidget* parent);

    // Builds both lists from the data folder and selects the first line.
    void fillLists();
    // The button, a double-click on a line and Enter in the list end here.
    virtual void confirm() = 0;
    // Runs on every change of the selected line.
    virtual void selectionChanged(int row);
    // Puts a further button right of Cancel, after it in the focus order.
    void addButtonBesideCancel(QPushButton* button);

private:
    Design design_;
    QPushButton* action_ = nullptr;
    QLayout* buttonRow_ = nullptr;
};
