#include "ClickableLabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(int index, const QString& caption, QWidget* parent)
    : QLabel(caption, parent), index_(index) {}

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
