#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

// Scale factors between the pixels an application reports its geometry in and
// the display's device pixels. Toolkits differ: Qt reports its own scaled
// pixels, GTK 3 device pixels unless GDK_SCALE is set, so a factor is measured
// rather than assumed: an application's top-level window as it reports it,
// against the same window as the window system has it.
namespace quillcraft::DisplayScale {

// The factor (a multiple of 1/4) that maps `reported` onto one of `device`,
// the window's device-pixel rectangles (with and without the window manager's
// frame, as toolkits include it or not); absent when none fits.
std::optional<qreal> fit(const QRectF& reported, const QList<QRectF>& device);

// The same, for a toolkit that reports its geometry relative to its own window
// (GTK 4 under X11): the window then says it is at (0, 0), so only the sizes
// are compared, and only for a report that starts there. GTK 4 keeps an even
// margin for its resize border inside the window without saying so: the device
// window may be larger by the same amount each way, at most `maxMargin` on a side.
struct RelativeFit {
    qreal scale = 1;
    // The margin on each side, in device pixels.
    QPointF inset;
};
std::optional<RelativeFit> fitWindowRelative(const QRectF& reported, const QRectF& device);
inline constexpr qreal maxMargin = 32;

// A rectangle in an application's pixels (scaled by `appScale`) in our own
// logical pixels (scaled by `ownScale`). Both scale about the screen origin.
QRectF convert(const QRectF& rect, qreal appScale, qreal ownScale);

} // namespace quillcraft::DisplayScale
