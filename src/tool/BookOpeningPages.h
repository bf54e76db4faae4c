#pragma once

#include <QList>

#include <functional>

class QPainter;
class QRectF;

// Draws one page that opens the PDF book, inside pageRect (the page less its
// margins, in the painter's coordinates).
using BookOpeningPage = std::function<void(QPainter& painter, const QRectF& pageRect)>;

// The pages the PDF book opens with, right after its title page, each on a
// page of its own (the mood charts of the Entry Statisticals view belong
// here). None so far.
QList<BookOpeningPage> bookOpeningPages();
