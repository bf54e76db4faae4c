#pragma once

#include <QList>
#include <QString>

class QWidget;

// Every message box of the program goes through here, so that tests can
// answer boxes and see what was asked.
namespace MsgBox {
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Shows a modal box without icon; returns the button pressed.
Answer show(const QString& text, const QString& title, Buttons buttons = Buttons::Ok, QWidget* parent = nullptr);

// --- test seam -----------------------------------------------------------
struct Shown {
    QString text;
    QString title;
    Buttons buttons;
};
// From now on no box is displayed: each call is recorded and answered with
// the next queued answer, or with Ok / No when none is queued.
void setTestMode(bool on);
void queueAnswer(Answer answer);
QList<Shown> shownForTesting();
void clearShownForTesting();
} // namespace MsgBox
