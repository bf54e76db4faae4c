#pragma once

#include <QObject>
#include <QPointer>

class frmMain;
class QWidget;

// Where the keyboard goes when the shown view changes or a chain of dialogs
// ends: onto a visible control of the view that is shown, the one a person
// expects to use first. Never a hidden control, never the menu bar.
//
//   Entry Composer      the topic
//   Entry Browser       the list (its current entry selected)
//   Entry Reading       the text (read only; the arrows scroll it)
//   Entry Statisticals  its first control that takes the focus
//   Entry Search        the query field
//   Diary Workbench     the first command of the left-hand menu
//
// Every place that shows or hides a view frame is covered: the frames are
// watched, and the focus follows once the switch is over.
class ViewFocus : public QObject {
public:
    // Watches the view frames of main; lives as long as main.
    explicit ViewFocus(frmMain* main);

    // The control of the shown view that takes the focus after a switch.
    static QWidget* firstControl(frmMain* main);
    // Puts the focus on firstControl() (also while a dialog is up: the window
    // then gives it that control when it is active again).
    static void focusShownView(frmMain* main);
    // After a chain of dialogs: a focus the user left on a visible control of
    // the shown view or of the left-hand menu stays; any other goes to
    // firstControl().
    static void settleAfterChain(frmMain* main);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void switched();

    QPointer<frmMain> main_;
    bool pending_ = false;
};
