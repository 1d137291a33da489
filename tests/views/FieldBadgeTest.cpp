// What the field badge shows for each checking result, judged from the numbers
// and from the drawn pixels.
#include "views/FieldBadge.h"
#include "views/Theme.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

using State = FieldBadge::State;
using Issues = FieldBadge::Issues;

class FieldBadgeTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Theme::registerFont(QStringLiteral(QUILLCRAFT_RESOURCE_DIR)); }

    static QImage render(const State& state)
    {
        FieldBadge badge(state);
        QImage image(badge.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        badge.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.convertToFormat(QImage::Format_ARGB32);
    }

    // How many pixels of `image` inside `area` are close to `color`.
    static int count(const QImage& image, const QRectF& area, const QColor& color)
    {
        int found = 0;
        const QRect pixels = area.toAlignedRect().intersected(image.rect());
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() > 240 && qAbs(pixel.red() - color.red()) < 12
                    && qAbs(pixel.green() - color.green()) < 12 && qAbs(pixel.blue() - color.blue()) < 12)
                    ++found;
            }
        }
        return found;
    }
};

TEST_F(FieldBadgeTest, CountsAreWrittenOutBelowAHundred)
{
    EXPECT_EQ(FieldBadge::indicatorText(Issues { 0, false }), QStringLiteral("0"));
    EXPECT_EQ(FieldBadge::indicatorText(Issues { 7, true }), QStringLiteral("7"));
    EXPECT_EQ(FieldBadge::indicatorText(Issues { 99, false }), QStringLiteral("99"));
    EXPECT_EQ(FieldBadge::indicatorText(Issues { 100, false }), QStringLiteral("99+"));
    EXPECT_EQ(FieldBadge::indicatorText(Issues { 123456789012LL, false }), QStringLiteral("99+"));
    // A negative count is a fault upstream, never shown as a minus sign.
    EXPECT_EQ(FieldBadge::indicatorText(Issues { -4, false }), QStringLiteral("0"));
    EXPECT_EQ(FieldBadge::indicatorText(FieldBadge::Checking {}), std::nullopt);
    EXPECT_EQ(FieldBadge::indicatorText(FieldBadge::Clean {}), std::nullopt);
}

TEST_F(FieldBadgeTest, StatesAreEqualByCaseAndPayload)
{
    EXPECT_EQ(State(Issues { 3, true }), State(Issues { 3, true }));
    EXPECT_NE(State(Issues { 3, true }), State(Issues { 3, false }));
    EXPECT_NE(State(Issues { 3, false }), State(Issues { 4, false }));
    EXPECT_NE(State(FieldBadge::Checking {}), State(FieldBadge::Clean {}));
    EXPECT_EQ(State(FieldBadge::Clean {}), State(FieldBadge::Clean {}));

    FieldBadge badge;
    EXPECT_EQ(badge.state(), State(FieldBadge::Checking {}));
    badge.setState(Issues { 2, false });
    EXPECT_EQ(badge.state(), State(Issues { 2, false }));
    EXPECT_EQ(badge.size(), QSize(36, 34));
}

TEST_F(FieldBadgeTest, StyleOnlyIsBlackOnAmberAndErrorsWhiteOnRed)
{
    EXPECT_EQ(FieldBadge::indicatorFill(Issues { 3, true }).rgb(), qRgb(0xEA, 0xB3, 0x08));
    EXPECT_EQ(FieldBadge::indicatorTextColor(Issues { 3, true }), QColor(Qt::black));
    EXPECT_EQ(FieldBadge::indicatorFill(Issues { 3, false }), Theme::error);
    EXPECT_EQ(FieldBadge::indicatorTextColor(Issues { 3, false }), QColor(Qt::white));
    EXPECT_EQ(FieldBadge::indicatorFill(FieldBadge::Clean {}), Theme::success);
    EXPECT_FALSE(FieldBadge::indicatorFill(FieldBadge::Checking {}).isValid());

    // The drawn capsules carry those colours, text included.
    const QRectF capsule = *FieldBadge::indicatorRect(Issues { 3, true });
    const QImage amber = render(Issues { 3, true });
    EXPECT_GT(count(amber, capsule, Theme::kindColor(QStringLiteral("Capitalization"))), 40);
    EXPECT_GT(count(amber, capsule.adjusted(3, 3, -3, -3), Qt::black), 3);
    const QImage red = render(Issues { 3, false });
    EXPECT_GT(count(red, capsule, Theme::error), 40);
    EXPECT_GT(count(red, capsule.adjusted(3, 3, -3, -3), Qt::white), 3);
    EXPECT_EQ(count(red, capsule, Theme::kindColor(QStringLiteral("Capitalization"))), 0);
}

TEST_F(FieldBadgeTest, TheCapsuleGrowsForLongerCountsAndStaysInsideTheBadge)
{
    const QRectF small = *FieldBadge::indicatorRect(Issues { 3, false });
    const QRectF wide = *FieldBadge::indicatorRect(Issues { 100, false });
    EXPECT_GE(small.width(), 15);
    EXPECT_GE(small.height(), 15);
    EXPECT_GT(wide.width(), small.width());
    // Both hang from the same corner: 7 right of and 6 above the mark's.
    const QPointF corner = FieldBadge::markRect().topRight();
    for (const QRectF& rect : { small, wide }) {
        EXPECT_DOUBLE_EQ(rect.right(), corner.x() + 7);
        EXPECT_DOUBLE_EQ(rect.top(), corner.y() - 6);
        EXPECT_TRUE(QRectF(0, 0, 36, 34).contains(rect));
    }
}

TEST_F(FieldBadgeTest, CheckingDrawsTheMarkAlone)
{
    EXPECT_EQ(FieldBadge::indicatorRect(FieldBadge::Checking {}), std::nullopt);
    const QImage checking = render(FieldBadge::Checking {});
    // Above the mark only the faint edge of its shadow shows; the mark itself is drawn.
    const QRectF mark = FieldBadge::markRect();
    for (int y = 0; y < int(mark.top()); ++y) {
        for (int x = 0; x < checking.width(); ++x)
            ASSERT_LT(qAlpha(checking.pixel(x, y)), 40) << x << "," << y;
    }
    EXPECT_GT(count(checking, mark, QColor(0x11, 0x11, 0x11)), 150);

    const QImage clean = render(FieldBadge::Clean {});
    const QRectF dot = *FieldBadge::indicatorRect(FieldBadge::Clean {});
    EXPECT_EQ(dot.size(), QSizeF(9, 9));
    EXPECT_GT(count(clean, dot, Theme::success), 10);
    EXPECT_EQ(count(clean, dot, Theme::error), 0);
}

} // namespace
