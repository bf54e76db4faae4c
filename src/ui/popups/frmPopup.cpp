#include "frmPopup.h"

#include "WindowPlacement.h"
#include "WindowHints.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>

namespace {

frmPopup* shownPopup = nullptr;

struct PopupLook {
    const char* name;
    const char* text;
    bool success;
};

const PopupLook& lookOf(PopupKind kind) {
    static const PopupLook looks[] = {
        {"frmEntrySaved", QT_TRANSLATE_NOOP("frmPopup", "ENTRY SAVED"), true},     {"frmNoDiaryOpen", QT_TRANSLATE_NOOP("frmPopup", "NO DIARY OPEN"), false},
        {"frmLoginAllowed", QT_TRANSLATE_NOOP("frmPopup", "LOGIN ALLOWED"), true}, {"frmAccessDenied", QT_TRANSLATE_NOOP("frmPopup", "ACCESS DENIED"), false},
        {"frmKillAllowed", QT_TRANSLATE_NOOP("frmPopup", "KILL ALLOWED"), true},
    };
    return looks[int(kind)];
}

} // namespace

// No frame, above the other windows, no task-bar entry, and never the
// keyboard's: the window below keeps the focus, so nothing typed reaches the
// popup and the focus is where it was when the popup goes.
frmPopup::frmPopup(PopupKind kind) : QDialog(nullptr, Platform::popupWindowFlags()), kind_(kind) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(objectNameFor(kind));
    setWindowTitle(QStringLiteral("Form1"));
    setModal(true);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(PictureWidth, PictureHeight);
    setFocusPolicy(Qt::NoFocus);

    imgMessage = new QLabel(this);
    imgMessage->setObjectName(QStringLiteral("imgMessage"));
    imgMessage->setScaledContents(true);
    imgMessage->setPixmap(QPixmap::fromImage(picture(kind)));
    imgMessage->setGeometry(0, 0, width(), height());
    imgMessage->setAttribute(Qt::WA_TransparentForMouseEvents);

    timtimer = new QTimer(this);
    timtimer->setObjectName(QStringLiteral("timtimer"));
    timtimer->setTimerType(Qt::PreciseTimer);
    timtimer->setInterval(PopupSettings::firstTickMs());
    connect(timtimer, &QTimer::timeout, this, &frmPopup::tick);
    timtimer->start();
    shownPopup = this;
    Platform::hintSkipTaskbar(this);
}

frmPopup::~frmPopup() {
    if (shownPopup == this)
        shownPopup = nullptr;
}

frmPopup* frmPopup::current() {
    return shownPopup;
}

QString frmPopup::objectNameFor(PopupKind kind) {
    return QString::fromLatin1(lookOf(kind).name);
}

QImage frmPopup::picture(PopupKind kind) {
    const PopupLook& look = lookOf(kind);
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter painter(&image);

    // A bevel three pixels deep: light top and left, dark bottom and right.
    const QColor light(240, 240, 240);
    const QColor dark(64, 64, 64);
    const int w = PictureWidth;
    const int h = PictureHeight;
    for (int i = 0; i < 3; ++i) {
        painter.setPen(light);
        painter.drawLine(i, i, w - 1 - i, i);
        painter.drawLine(i, i, i, h - 1 - i);
        painter.setPen(dark);
        painter.drawLine(i, h - 1 - i, w - 1 - i, h - 1 - i);
        painter.drawLine(w - 1 - i, i, w - 1 - i, h - 1 - i);
    }

    // Arial where it is installed, else a metric-compatible or common sans-serif face.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    // Large capitals, as large as the panel allows.
    const QString text = tr(look.text);
    int pixels = 58;
    do {
        font.setPixelSize(pixels);
        pixels -= 2;
    } while (pixels > 12 && QFontMetrics(font).horizontalAdvance(text) > w - 48);
    painter.setFont(font);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect area(0, 0, w, h);
    // A dark shadow keeps the pale letters readable on silver.
    painter.setPen(QColor(64, 64, 64));
    painter.drawText(area.translated(3, 3), Qt::AlignCenter, text);
    painter.setPen(look.success ? QColor(192, 255, 192) : QColor(255, 128, 128));
    painter.drawText(area, Qt::AlignCenter, text);
    return image;
}

void frmPopup::tick() {
    if (tag_ == QLatin1String("1")) {
        timtimer->stop();
        closing_ = true;
        done(QDialog::Accepted);
        return;
    }
    tag_ = QStringLiteral("1");
    QCoreApplication::processEvents(); // the picture gets drawn
    PopupSettings::playPopupSound();
    QCoreApplication::processEvents();
    timtimer->setInterval(PopupSettings::secondTickMs());
}

// Nothing in a popup reacts to keys; Escape does not close it either.
void frmPopup::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void frmPopup::reject() {
    if (closing_)
        QDialog::reject();
}

void frmPopup::closeEvent(QCloseEvent* event) {
    if (closing_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}
