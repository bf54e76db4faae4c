#include "MsgBox.h"

#include "WindowHints.h"

#include <QApplication>
#include <QMessageBox>
#include <QQueue>

namespace {

struct TestState {
    bool on = false;
    QQueue<MsgBox::Answer> answers;
    QList<MsgBox::Shown> shown;
};

TestState& testState() {
    static TestState state;
    return state;
}

} // namespace

namespace MsgBox {

Answer show(const QString& text, const QString& title, Buttons buttons, QWidget* parent) {
    TestState& state = testState();
    if (state.on) {
        state.shown.append({text, title, buttons});
        if (!state.answers.isEmpty())
            return state.answers.dequeue();
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }

    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    Platform::hintFixedDialog(&box);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

void setTestMode(bool on) {
    testState().on = on;
    if (!on)
        testState().answers.clear();
}

void queueAnswer(Answer answer) {
    testState().answers.enqueue(answer);
}

QList<Shown> shownForTesting() {
    return testState().shown;
}

void clearShownForTesting() {
    testState().shown.clear();
}

} // namespace MsgBox
