#include "surfaces/UnderlineOverlay.h"
#include "SurfaceFakes.h"
#include "surfaces/ScreenCoordinates.h"
#include "surfaces/UnderlineView.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::FixedScreens;
using quillcraft::test::RecordingFloatingWindows;

namespace {

const FixedScreens screens({ { QRectF(0, 0, 1280, 1024), QRectF(0, 0, 1280, 1024) } });
const QColor red(0xF4, 0x3F, 0x5E);
const QColor blue(0x3B, 0x82, 0xF6);

// Counts the paints a widget receives.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QImage rendered(UnderlineView& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(UnderlineOverlay, LiesOverTheFieldGrownByFourAndHidesWithoutMarks)
{
    UnderlineOverlay overlay(screens, nullptr);
    const QRectF field(200, 500, 400, 30);
    overlay.show({ { QRectF(210, 506, 40, 16), red, false } }, field);
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.frame(), QRectF(196, 496, 408, 38));
    EXPECT_EQ(overlay.window()->geometry(), ScreenCoordinates::toQt(overlay.frame(), screens.screens()));
    // Marks move into the window's own bottom-left coordinates.
    ASSERT_EQ(overlay.view().marks().size(), 1);
    EXPECT_EQ(overlay.view().marks().first().rect, QRectF(14, 10, 40, 16));

    overlay.show({}, field);
    EXPECT_FALSE(overlay.isVisible());
}

TEST(UnderlineOverlay, WordsHalfOutsideTheFieldAreUnderlinedOnlyInside)
{
    UnderlineOverlay overlay(screens, nullptr);
    const QRectF field(200, 500, 400, 30);
    overlay.show({ { QRectF(180, 506, 40, 16), red, false }, { QRectF(580, 506, 40, 16), blue, false },
                     { QRectF(620, 506, 40, 16), blue, false } },
        field);
    ASSERT_EQ(overlay.view().marks().size(), 2);
    EXPECT_EQ(overlay.view().marks().at(0).rect, QRectF(4, 10, 20, 16));
    EXPECT_EQ(overlay.view().marks().at(1).rect, QRectF(384, 10, 20, 16));
}

TEST(UnderlineOverlay, AnUnchangedShowDrawsNothingNew)
{
    RecordingFloatingWindows windows;
    UnderlineOverlay overlay(screens, &windows);
    PaintCounter counter;
    overlay.window()->findChild<UnderlineView*>()->installEventFilter(&counter);
    const QList<UnderlineOverlay::Mark> marks { { QRectF(210, 506, 40, 16), red, false },
        { QRectF(300, 506, 25, 16), blue, false } };
    const QRectF field(200, 500, 400, 30);

    overlay.show(marks, field);
    QCoreApplication::processEvents();
    overlay.show(marks, field);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_EQ(windows.prepared.size(), 1);

    // Opening a card highlights a word: drawn again.
    QList<UnderlineOverlay::Mark> highlighted = marks;
    highlighted[1].highlighted = true;
    overlay.show(highlighted, field);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 2);

    // Hidden and shown again with the same marks: shown, with the hints set anew.
    overlay.hide();
    overlay.show(highlighted, field);
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(windows.prepared.size(), 2);
}

TEST(UnderlineView, DrawsASixPointBarUnderAThreePointWord)
{
    UnderlineView view;
    view.resize(100, 40);
    // Bottom-left: the word's box spans y 10..24, so the bar covers 9..11 from
    // the bottom, which is rows 29..30 from the top.
    view.setMarks({ { QRectF(10, 10, 3, 14), red, false } });
    const QImage image = rendered(view);
    EXPECT_EQ(QColor(image.pixel(11, 30)), red);
    EXPECT_EQ(qAlpha(image.pixel(11, 29)), 255);
    EXPECT_EQ(qAlpha(image.pixel(14, 30)), 255); // beyond the 3-point word
    EXPECT_EQ(qAlpha(image.pixel(17, 30)), 0); // and no further than 6
    EXPECT_EQ(qAlpha(image.pixel(11, 27)), 0); // the word itself stays clear
    EXPECT_EQ(qAlpha(image.pixel(11, 32)), 0);
}

TEST(UnderlineView, WashesBehindTheHighlightedWordOnlyWhenTranslucent)
{
    UnderlineView view;
    view.resize(100, 40);
    view.setMarks({ { QRectF(20, 10, 30, 14), blue, true } });
    const QImage washed = rendered(view);
    EXPECT_NEAR(qAlpha(washed.pixel(35, 20)), 41, 2); // 16 % behind the word
    EXPECT_EQ(view.paintedRegion().boundingRect(), QRect(19, 16, 32, 15));

    // Without a compositor the window mask keeps only the drawn pixels, so the
    // word must not be under any of them: the wash becomes an outline.
    view.setTranslucent(false);
    const QImage outlined = rendered(view);
    EXPECT_EQ(qAlpha(outlined.pixel(35, 20)), 0);
    EXPECT_GT(qAlpha(outlined.pixel(35, 16)), 0);
    EXPECT_FALSE(view.paintedRegion().contains(QPoint(35, 20)));
    EXPECT_TRUE(view.paintedRegion().contains(QPoint(35, 29)));
}

TEST(UnderlineOverlay, MasksTheWindowToTheMarksOnlyWithoutACompositor)
{
    RecordingFloatingWindows windows;
    UnderlineOverlay overlay(screens, &windows);
    const QRectF field(200, 500, 400, 30);
    overlay.show({ { QRectF(210, 506, 40, 16), red, false } }, field);
    EXPECT_TRUE(overlay.window()->mask().isEmpty());

    windows.compositor = false;
    overlay.show({ { QRectF(210, 506, 40, 18), red, false } }, field);
    const QRegion mask = overlay.window()->mask();
    EXPECT_EQ(mask, overlay.view().paintedRegion());
    EXPECT_EQ(mask.boundingRect().width(), 40);
    EXPECT_EQ(mask.boundingRect().height(), 2);
}

} // namespace
