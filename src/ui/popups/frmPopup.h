#pragma once

#include "Popups.h"

#include <QDialog>

class QLabel;
class QTimer;

namespace PopupSettings {
// Plays s1.wav from the program folder to its end (or counts the sound only,
// when sound is off for tests).
void playPopupSound();
} // namespace PopupSettings

// One timed notification popup: a borderless picture with the outcome in
// large letters, a sound at the first tick, gone two seconds later. It takes
// no mouse or key input and closes only itself.
class frmPopup : public QDialog {
    Q_OBJECT
public:
    static constexpr int PictureWidth = 563;
    static constexpr int PictureHeight = 131;

    explicit frmPopup(PopupKind kind);
    ~frmPopup() override;

    PopupKind kind() const { return kind_; }
    // The popup shown at the moment, or null.
    static frmPopup* current();

    // The picture of a popup: silver bevelled panel, capital letters centred.
    static QImage picture(PopupKind kind);
    static QString objectNameFor(PopupKind kind);

    QLabel* imgMessage = nullptr;
    QTimer* timtimer = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void tick();

    PopupKind kind_;
    QString tag_; // the tick marker: "1" after the first tick
    bool closing_ = false;
};
