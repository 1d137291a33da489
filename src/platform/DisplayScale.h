#pragma once

#include <QList>
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

// A rectangle in an application's pixels (scaled by `appScale`) in our own
// logical pixels (scaled by `ownScale`). Both scale about the screen origin.
QRectF convert(const QRectF& rect, qreal appScale, qreal ownScale);

} // namespace quillcraft::DisplayScale
