// The shared controls: the card's geometry, buttons that act on the first click
// without taking focus, and the texts that pass through the platform wording.
#include "views/CardSurface.h"
#include "views/ChoiceButton.h"
#include "views/MacBrandHeader.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/SelectionButton.h"
#include "views/Theme.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

using namespace quillcraft;

namespace {

// A plain content view of a fixed height.
QWidget* block(int height)
{
    auto* widget = new QWidget;
    widget->setFixedHeight(height);
    return widget;
}

TEST(CardSurface, IsTheContentPlusTheShadowMarginEachSide)
{
    CardSurface card(320, block(120));
    EXPECT_EQ(card.sizeHint(), QSize(356, 156));
    EXPECT_EQ(card.size(), QSize(356, 156));
    EXPECT_EQ(card.cardRect(), QRect(18, 18, 320, 120));
    EXPECT_EQ(card.content()->geometry(), QRect(18, 18, 320, 120));
    EXPECT_EQ(card.content()->parentWidget(), &card);
}

TEST(CardSurface, FollowsContentThatGrows)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(block(40));
    CardSurface card(280, content);
    card.show(); // as in its panel: a hidden content's changes reach nobody
    ASSERT_EQ(card.cardRect().height(), 40);

    column->addWidget(block(60));
    QApplication::sendPostedEvents();
    QApplication::sendPostedEvents();
    EXPECT_EQ(card.cardRect().size(), QSize(280, 100 + column->spacing()));
    EXPECT_EQ(card.size(), card.cardRect().size() + QSize(36, 36));
    EXPECT_EQ(card.content()->width(), 280);
}

TEST(CardSurface, LeavesTheMarginClearAboveTheCard)
{
    CardSurface card(200, block(80));
    QImage image(card.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    card.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // The shadow falls downwards: the top rows of the margin stay clear, the
    // card's middle is the text background.
    for (int x = 0; x < image.width(); ++x)
        ASSERT_EQ(qAlpha(image.pixel(x, 0)), 0) << x;
    EXPECT_EQ(QColor(image.pixel(118, 58)).rgb(), Theme::textBackground(card.palette()).rgb());
    EXPECT_GT(qAlpha(image.pixel(118, card.cardRect().bottom() + 5)), 0);
}

// A window with a text field that has the keyboard, and one button.
class FirstClick : public testing::Test {
protected:
    void place(QAbstractButton* button)
    {
        auto* column = new QVBoxLayout(&window);
        column->addWidget(field);
        column->addWidget(button);
        window.show();
        window.activateWindow();
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_EQ(QApplication::focusWidget(), field);
    }

    void expectActsWithoutFocus(QAbstractButton* button)
    {
        place(button);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(clicked.count(), 1);
        EXPECT_EQ(QApplication::focusWidget(), field);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }

    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
};

TEST_F(FirstClick, PrimaryButton)
{
    expectActsWithoutFocus(new PrimaryButton(QStringLiteral("Replace")));
}

TEST_F(FirstClick, QuietButton)
{
    expectActsWithoutFocus(new QuietButton(QStringLiteral("Ignore")));
}

TEST_F(FirstClick, ChoiceButton)
{
    expectActsWithoutFocus(new ChoiceButton(QStringLiteral("Fix all"), Theme::pen));
}

TEST_F(FirstClick, SelectionButtonCallsItsActionOnce)
{
    int presses = 0;
    auto* button = new SelectionButton([&presses] { ++presses; });
    expectActsWithoutFocus(button);
    EXPECT_EQ(presses, 1);
    // A press that is dragged off and let go elsewhere does nothing.
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_EQ(presses, 1);
}

TEST(ButtonSizes, FollowTheirStyles)
{
    const PrimaryButton primary(QStringLiteral("Replace"));
    EXPECT_EQ(primary.sizeHint().height(), 32);
    const QuietButton quiet(QStringLiteral("Replace"));
    EXPECT_EQ(quiet.sizeHint().height(), 30);
    // Same font, smaller insets: the quiet one is narrower by the difference.
    EXPECT_EQ(primary.sizeHint().width() - quiet.sizeHint().width(), 2 * 13 - 2 * 11);
    const ChoiceButton choice(QStringLiteral("Keep"), Theme::pencil);
    EXPECT_GE(choice.sizeHint().height(), 42);
    EXPECT_EQ(choice.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    PrimaryButton tinted(QStringLiteral("Go"));
    EXPECT_EQ(tinted.fill(), Theme::primary(tinted.palette()));
    tinted.setTint(Theme::pen);
    EXPECT_EQ(tinted.fill(), Theme::pen);
}

TEST(PlatformTexts, AreTheLinuxOnes)
{
    EXPECT_EQ(MacBrandHeader::platformText(), QStringLiteral("for Linux"));
    EXPECT_EQ(MacBrandHeader().accessibleName(), QStringLiteral("Quillcraft for Linux"));

    const SelectionButton button;
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Rewrite with Quillcraft"));
    EXPECT_EQ(button.text(), QStringLiteral("Rewrite"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Rewrite, fix, or shorten the highlighted text (Ctrl+Alt+R)"));
}

} // namespace
