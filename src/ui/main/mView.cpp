#include "mView.h"

#include "TabStopDelegate.h"
#include "WindowPlacement.h"
#include "mError.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void Set_Window_To_Center(QWidget* window) {
    const QString source = QStringLiteral("mView --> Set_Window_To_Center");
    if (!window) {
        Show_Error(91, QCoreApplication::translate("mView", "Object variable or With block variable not set"), source, QString());
        return;
    }
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        Show_Error(5, QCoreApplication::translate("mView", "Invalid procedure call or argument"), source, QString());
        return;
    }
    if (!Platform::canPlaceTopLevelWindows() && window->isWindow())
        return; // the desktop places windows there, not the program
    // By the outer size; move() places the frame, so the whole window is centred.
    const QRect area = screen->geometry();
    const QSize outer = window->frameGeometry().size();
    window->move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

void Set_List_Tabstops(QAbstractItemView* list, const QList<qint16>& stops) {
    if (!list)
        return;
    if (auto* delegate = qobject_cast<TabStopDelegate*>(list->itemDelegate())) {
        delegate->setStops(stops);
    } else {
        list->setItemDelegate(new TabStopDelegate(stops, list));
    }
    list->viewport()->update();
}
