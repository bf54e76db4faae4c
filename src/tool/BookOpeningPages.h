#pragma once

#include "MoodChart.h"

#include <QList>

#include <functional>

class QPainter;
class QRectF;
struct MoodTimeline;

// Draws one mood chart into target (renderMoodChart's arguments). Qt Charts
// draws only on the thread of the QApplication: a book painted on another
// thread passes one that has the chart drawn there.
using MoodChartPainter = std::function<void(QPainter& painter, const QRectF& target, Mood mood,
                                            const MoodTimeline& moods)>;

// Draws one page that opens the PDF book, inside pageRect (the page less its
// margins, in the painter's coordinates).
using BookOpeningPage = std::function<void(QPainter& painter, const QRectF& pageRect)>;

// The pages the PDF book opens with, right after its title page, each on a
// page of its own: "Mood over time", the wellness and the love chart of the
// exported entries (a diary without entries gets charts that say so). Qt
// Charts draws them, so they need a QApplication; drawChart empty: drawn
// right here by renderMoodChart.
QList<BookOpeningPage> bookOpeningPages(const MoodTimeline& moods, const MoodChartPainter& drawChart = {});
