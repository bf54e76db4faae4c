#pragma once

#include <QList>

#include <functional>

class QPainter;
class QRectF;
struct MoodTimeline;

// Draws one page that opens the PDF book, inside pageRect (the page less its
// margins, in the painter's coordinates).
using BookOpeningPage = std::function<void(QPainter& painter, const QRectF& pageRect)>;

// The pages the PDF book opens with, right after its title page, each on a
// page of its own: "Mood over time", the wellness and the love chart of the
// exported entries (a diary without entries gets charts that say so). Qt
// Charts draws them, so they need a QApplication.
QList<BookOpeningPage> bookOpeningPages(const MoodTimeline& moods);
