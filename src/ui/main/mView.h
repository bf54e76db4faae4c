#pragma once

#include <QList>

class QWidget;
class QAbstractItemView;

// Centres the window on its screen by its outer size; a failure is reported
// through Show_Error with the source "mView --> Set_Window_To_Center".
void Set_Window_To_Center(QWidget* window);

// Tab-separated lines of the list are drawn in columns at these stops (dialog
// units: a quarter of the list font's average character width).
void Set_List_Tabstops(QAbstractItemView* list, const QList<qint16>& stops);

// Twips to device-independent pixels and back (15 twips a pixel).
constexpr int twipsToPixels(int twips) {
    return twips / 15;
}
constexpr int pixelsToTwips(int pixels) {
    return pixels * 15;
}
