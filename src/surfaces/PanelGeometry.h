#pragma once

#include "platform/Screens.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// The pure geometry of the floating panels, in bottom-left screen coordinates.
namespace quillcraft::PanelGeometry {

// Content draws its own shadow inside this margin; the card the user sees is
// the panel frame inset by it.
inline constexpr qreal shadowInset = 18;
inline constexpr qreal defaultGap = 6;

// The screen a rectangle is shown on for placement: the first whose frame meets
// it, else the first (main) screen; none when there are no screens.
std::optional<ScreenGeometry> screenFor(const QRectF& rect, const QList<ScreenGeometry>& screens);
// The screen a panel is on: the one holding most of its frame; none when off every screen.
std::optional<ScreenGeometry> screenOf(const QRectF& frame, const QList<ScreenGeometry>& screens);

// Origin of a panel of this size placed below rect (its visible card gap points
// under it), or above when there is no room below, kept inside the visible frame.
QPointF placedBelow(const QRectF& rect, qreal gap, const QSizeF& size, const QList<ScreenGeometry>& screens);

// The frame after the content changed size: the top-left corner stays, unless
// the bottom would leave the visible frame of the panel's screen.
QRectF fitted(const QRectF& frame, const QSizeF& size, const QList<ScreenGeometry>& screens);

// The visible card inside a panel frame.
QRectF cardFrame(const QRectF& frame);

} // namespace quillcraft::PanelGeometry
