#pragma once

#include <QList>

// The five timed notification popups. Each is shown modally without owner,
// centred over the active window, plays s1.wav at its first tick and closes
// itself about two seconds later; it takes no mouse or key input.
enum class PopupKind { EntrySaved, NoDiaryOpen, LoginAllowed, AccessDenied, KillAllowed };

// Shows the popup modally and returns when it has closed itself.
void showPopup(PopupKind kind);

namespace PopupSettings {
// --- test seam: shorter ticks and no sound -------------------------------
void setTimingForTesting(int firstTickMs, int secondTickMs);
void setSoundEnabledForTesting(bool enabled);
int firstTickMs();
int secondTickMs();
bool soundEnabled();
// Popups shown since the last clear, oldest first (for tests).
QList<PopupKind> shownForTesting();
void clearShownForTesting();
// How often a popup sounded since the last clear (also with sound off).
int soundCountForTesting();
} // namespace PopupSettings
