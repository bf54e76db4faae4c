#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// The main window's look: colours, fonts and small helpers that build its
// controls at their design places (given in twips).
namespace MainLook {
const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor LightGrey(224, 224, 224);
const QColor Client(160, 160, 164);
const QColor FrameFace(212, 208, 200);
const QColor PanelFace(200, 200, 200);
const QColor DarkText(0, 0, 0);

QFont font(int pointSize, bool bold = false);
void setColours(QWidget* widget, const QColor& background, const QColor& text);
void place(QWidget* widget, int left, int top, int width, int height);

// A plain caption label.
QLabel* caption(QWidget* parent, const QString& name, const QString& text, int left, int top, int width, int height);
// A sunken label that shows a value.
QLabel* valueLabel(QWidget* parent, const QString& name, int left, int top, int width, int height);
// A raised panel (picture box) or a view frame.
QFrame* panel(QWidget* parent, const QString& name, const QColor& face);
// A picture button: the picture fills it; without the picture it shows its text.
QPushButton* pictureButton(QWidget* parent, const QString& name, const QString& icon, const QString& tip, int left,
                           int top, int width, int height);
} // namespace MainLook
