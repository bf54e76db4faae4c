#include "frmMainLook.h"

#include "MainLayout.h"

#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace MainLook {

QFont font(int pointSize, bool bold) {
    // Verdana where it is installed, else the sans-serif faces Linux desktops carry.
    QFont f;
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

void setColours(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, int left, int top, int width, int height) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font(9));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(label, left, top, width, height);
    return label;
}

QLabel* valueLabel(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font(9));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    setColours(label, QColor(240, 240, 240), DarkText);
    place(label, left, top, width, height);
    return label;
}

QFrame* panel(QWidget* parent, const QString& name, const QColor& face) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(1);
    setColours(frame, face, DarkText);
    return frame;
}

QPushButton* pictureButton(QWidget* parent, const QString& name, const QString& icon, const QString& tip, int left,
                           int top, int width, int height) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    place(button, left, top, width, height);
    const QString path = QStringLiteral(":/icons/%1.svg").arg(icon);
    if (QFile::exists(path)) {
        // The picture is the whole button face.
        button->setIcon(QIcon(path));
        button->setIconSize(button->size());
        button->setFlat(true);
        // Pressed, the picture moves down and right a little, as a button face does.
        button->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0px; }"
                                             "QPushButton:pressed { padding-left: 2px; padding-top: 2px; }"));
    } else {
        button->setText(tip);
        button->setFont(font(8));
    }
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace MainLook
