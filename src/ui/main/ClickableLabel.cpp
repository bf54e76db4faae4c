#include "ClickableLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <limits>

ClickableLabel::ClickableLabel(int index, const QString& caption, QWidget* parent)
    : QLabel(caption, parent), index_(index) {
    setFocusPolicy(Qt::TabFocus);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

// A click is a press and a release of the left button over the label, as a
// button behaves: moving off the label before releasing cancels it.
void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            emit clicked(index_);
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    // Enter only: a blank typed by someone who thinks he is in a text box
    // must not run a command.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        emit clicked(index_);
        return;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        // The nearest label of the menu above or below this one.
        ClickableLabel* nearest = nullptr;
        int distance = std::numeric_limits<int>::max();
        const QList<ClickableLabel*> labels = parentWidget()->findChildren<ClickableLabel*>(Qt::FindDirectChildrenOnly);
        for (ClickableLabel* other : labels) {
            const int dy = other->y() - y();
            const int away = key == Qt::Key_Down ? dy : -dy;
            if (away > 0 && away < distance && other->isVisible()) {
                distance = away;
                nearest = other;
            }
        }
        if (nearest)
            nearest->setFocus(Qt::TabFocusReason);
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted frame in the text's colour: the style's own focus frame shows
    // only after Tab, and the focus often comes here with a view switch.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
