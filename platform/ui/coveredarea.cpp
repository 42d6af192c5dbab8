#include "platform/ui/coveredarea.h"

#include <QApplication>
#include <QRect>
#include <QWidget>

void RepaintCoveredArea(const QWidget& closed)
{
    const QRect area = closed.frameGeometry();
    if (area.isEmpty())
        return;
    for (QWidget* window : QApplication::topLevelWidgets())
    {
        if (window == &closed || !window->isVisible())
            continue;
        // The window's own pixels: the window manager's frame around it repaints itself.
        const QRect covered = QRect(window->mapFromGlobal(area.topLeft()), area.size()).intersected(window->rect());
        if (!covered.isEmpty())
            window->repaint(covered);
    }
}
