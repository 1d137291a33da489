#pragma once

#include "views/CardSurface.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace quillcraft::test {

// The descendants of `parent` that are a `T`. Our widgets have no meta-object of
// their own, so findChildren<T*>() would also return every other widget.
template <typename T> QList<T*> descendants(const QWidget* parent)
{
    QList<T*> result;
    for (QWidget* child : parent->findChildren<QWidget*>()) {
        if (auto* match = dynamic_cast<T*>(child))
            result << match;
    }
    return result;
}

// Shows `surface` (as its floating panel would) and lets its layouts settle.
inline void settle(CardSurface& surface)
{
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    QApplication::sendPostedEvents();
    QApplication::sendPostedEvents();
}

// `child` lies within `content` side to side, and top to bottom unless it
// may be scrolled out of sight.
inline void expectInside(const QWidget* content, const QWidget* child, bool vertically = true)
{
    const QRect area(child->mapTo(content, QPoint(0, 0)), child->size());
    EXPECT_GT(area.width(), 0) << child->metaObject()->className();
    EXPECT_GE(area.left(), 0) << child->accessibleName().toStdString();
    EXPECT_LE(area.right(), content->width() - 1) << child->accessibleName().toStdString();
    if (vertically) {
        EXPECT_GE(area.top(), 0) << child->accessibleName().toStdString();
        EXPECT_LE(area.bottom(), content->height() - 1) << child->accessibleName().toStdString();
    }
}

} // namespace quillcraft::test
