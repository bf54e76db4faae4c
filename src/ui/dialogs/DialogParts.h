#pragma once

#include <QString>

class QDialog;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Building blocks shared by the diary dialogs: the fixed window, the grey
// title strip, picture buttons and the rows of labels and boxes.
namespace DialogParts {

// Fixed border, no minimize or maximize button, no task-bar entry, the given
// caption. Call once the layout is complete: the window keeps the size its
// layout asks for.
void setUpWindow(QDialog* dialog, const QString& caption);

// The window a new dialog is shown over: the active modal dialog, else the
// main window (null when there is neither); Qt centres the dialog over it.
QWidget* owner();

// Lays out the dialog: the grey title strip lblDialogTitle on top and one
// frame below it whose grid takes the rows. Returns the frame's grid.
QGridLayout* setUpBody(QDialog* dialog, const QString& titleStrip);

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption);
// A label that shows a value (owner, title, path): sunken, clipped to its
// width rather than widening the window.
QLabel* makeValueLabel(QWidget* parent, const QString& name);
QLineEdit* makeTextBox(QWidget* parent, const QString& name);
// Shows "*" for every character; maxLength 0 means no limit.
QLineEdit* makePasswordBox(QWidget* parent, const QString& name, int maxLength = 0);

// A button that shows a picture from the resources (its caption stands in
// while the picture is missing), with tool tip and accessible name.
QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& iconPath, const QString& toolTip);

// Appends a row: the caption label left, the control right (the label's buddy).
void addRow(QGridLayout* grid, QLabel* label, QWidget* control);

// Appends the button row (cancel left, the action right) below the grid rows.
void addButtonRow(QGridLayout* grid, QPushButton* left, QPushButton* right);

// Puts the focus into `target` each time the dialog becomes the active window.
void focusOnActivate(QDialog* dialog, QWidget* target);

// The rows every password dialog ends with: the "*" box txtPassword1 and the
// confirming box txtPassword2 with their labels Labe1 and Label1, then the
// buttons cmdCancel and cmdPasswordCorrect (the default). Focus order: the two
// boxes, Cancel, the confirm button; txtPassword1 takes the focus whenever the
// dialog becomes active.
struct PasswordRows {
    QLabel* Labe1 = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtPassword2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPasswordCorrect = nullptr;
};
PasswordRows addPasswordRows(QDialog* dialog, QGridLayout* grid, const QString& firstCaption,
                             const QString& confirmCaption, const QString& confirmToolTip);

// True when the text holds a tab, a line break or another control character.
bool hasControlCharacters(const QString& text);
// The characters of the text that Windows-1252 cannot hold, each once.
QString unstorableCharacters(const QString& text);

} // namespace DialogParts
