#include "app/shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void FitOnScreen(QWidget &window)
{
    QScreen *target = nullptr;
    int largest = -1;
    for (QScreen *candidate : QGuiApplication::screens()) {
        const QRect overlap = candidate->availableGeometry().intersected(window.frameGeometry());
        const int area = overlap.isEmpty() ? 0 : overlap.width() * overlap.height();
        if (area > largest) {
            largest = area;
            target = candidate;
        }
    }
    if (!target)
        return;
    const QRect available = target->availableGeometry();
    // Before the window is shown its frame is not known yet: leave room for a usual one.
    const QMargins frame = window.isVisible() ? QMargins(window.geometry().left() - window.frameGeometry().left(),
                                                  window.geometry().top() - window.frameGeometry().top(),
                                                  window.frameGeometry().right() - window.geometry().right(),
                                                  window.frameGeometry().bottom() - window.geometry().bottom())
                                       : QMargins(8, 32, 8, 8);
    const QSize room = available.size().shrunkBy(frame);
    window.resize(window.size().boundedTo(room));
    QRect outer = QRect(window.geometry().topLeft(), window.size()).marginsAdded(frame);
    if (!window.isVisible() || !available.contains(outer)) {
        if (!window.isVisible())
            outer.moveCenter(available.center());
        outer.moveLeft(std::clamp(outer.left(), available.left(), available.right() - outer.width() + 1));
        outer.moveTop(std::clamp(outer.top(), available.top(), available.bottom() - outer.height() + 1));
        window.move(outer.topLeft());
    }
}
