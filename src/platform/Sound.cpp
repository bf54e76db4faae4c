#include "Platform.h"

#include <QApplication>
#include <QAudioDevice>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace {
// Bounds of the wait: loading, and playing (a notification sound is short).
constexpr int LoadTimeoutMs = 2000;
constexpr int PlayTimeoutMs = 8000;

// Runs events other than user input until done() or the time is up.
template <typename Signal, typename Done> void waitFor(QSoundEffect& effect, Signal signal, Done done, int timeoutMs) {
    if (done())
        return;
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    bound.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

namespace Platform {

// Plays the file to its end; the system's default sound when the file or an
// audio output is missing or the file cannot be played.
void playSoundSync(const QString& wavPath) {
    if (!QFileInfo(wavPath).isFile() || QMediaDevices::audioOutputs().isEmpty()) {
        QApplication::beep();
        return;
    }
    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(wavPath));
    waitFor(
        effect, &QSoundEffect::statusChanged,
        [&] { return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error; },
        LoadTimeoutMs);
    if (effect.status() != QSoundEffect::Ready) {
        QApplication::beep();
        return;
    }
    effect.play();
    bool started = effect.isPlaying();
    waitFor(
        effect, &QSoundEffect::playingChanged,
        [&] {
            started = started || effect.isPlaying();
            return started && !effect.isPlaying();
        },
        PlayTimeoutMs);
}

} // namespace Platform
