#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace quillcraft::WindowPresenter {

// Where a window of `size` goes on a screen whose usable area is `available`
// (Qt's top-left coordinates): centred across, 80 points above the middle,
// never above the usable area's top.
QRect frameFor(const QSize& size, const QRect& available);

enum class Keyboard { take, leave };

// Sizes the window to its content, puts it on the screen under the pointer (else
// the primary one) and brings it to the front with the keyboard; told to leave the
// keyboard, it shows behind the window in use instead.
void present(QWidget& window, Keyboard keyboard = Keyboard::take);

} // namespace quillcraft::WindowPresenter
