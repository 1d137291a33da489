#include "shell/WindowPresenter.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace quillcraft::WindowPresenter {

namespace {

constexpr int aboveCentre = 80;

} // namespace

QRect frameFor(const QSize& size, const QRect& available)
{
    const int x = available.x() + (available.width() - size.width()) / 2;
    const int y = available.y() + (available.height() - size.height()) / 2 - aboveCentre;
    return { QPoint(x, std::max(available.y(), y)), size };
}

void present(QWidget& window, Keyboard keyboard)
{
    window.adjustSize();
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        window.move(frameFor(window.size(), screen->availableGeometry()).topLeft());
    if (keyboard == Keyboard::leave) {
        // Only for this showing: asked for later, the window takes the keyboard again.
        // Behind the window in use, too, so it covers nothing the user works in.
        window.setAttribute(Qt::WA_ShowWithoutActivating, true);
        window.show();
        window.lower();
        window.setAttribute(Qt::WA_ShowWithoutActivating, false);
        return;
    }
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace quillcraft::WindowPresenter
