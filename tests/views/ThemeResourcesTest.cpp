// The theme's files: the Geist face, the icon cache, tinting, and the palettes
// for a forced appearance.
#include "views/Appearance.h"
#include "views/IconCache.h"
#include "views/Theme.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

const QString resources = QStringLiteral(QUILLCRAFT_RESOURCE_DIR);

// How many pixels have any coverage, and whether all of them are of `rgb`.
struct Coverage {
    int visible = 0;
    bool allOf = true;
};

Coverage coverage(const QImage& image, QRgb rgb)
{
    Coverage result;
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < straight.height(); ++y) {
        for (int x = 0; x < straight.width(); ++x) {
            const QRgb pixel = straight.pixel(x, y);
            if (qAlpha(pixel) < 40) // edges blend and round; judge the solid parts
                continue;
            ++result.visible;
            if (qAbs(qRed(pixel) - qRed(rgb)) > 2 || qAbs(qGreen(pixel) - qGreen(rgb)) > 2
                || qAbs(qBlue(pixel) - qBlue(rgb)) > 2)
                result.allOf = false;
        }
    }
    return result;
}

TEST(GeistFont, LoadsFromTheResourceFolder)
{
    // A folder without the files leaves the family missing rather than pretending.
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EXPECT_FALSE(Theme::registerFont(empty.path()));

    ASSERT_TRUE(Theme::registerFont(resources)) << "no Geist files in " << resources.toStdString();
    // The face really used, not the one asked for: a fallback would show here.
    EXPECT_EQ(QFontInfo(Theme::geist(12)).family(), QStringLiteral("Geist"));
    const QFontInfo bold(Theme::geist(9, QFont::Bold));
    EXPECT_EQ(bold.family(), QStringLiteral("Geist"));
    EXPECT_EQ(bold.weight(), int(QFont::Bold));
    EXPECT_EQ(QFontInfo(Theme::geist(12, QFont::DemiBold)).weight(), int(QFont::DemiBold));
    EXPECT_EQ(Theme::geist(15).pixelSize(), 15);

    // Registering again adds nothing and still reports the family.
    const int styles = QFontDatabase::styles(QStringLiteral("Geist")).size();
    EXPECT_TRUE(Theme::registerFont(resources));
    EXPECT_EQ(QFontDatabase::styles(QStringLiteral("Geist")).size(), styles);
}

TEST(IconCache, GivesTheSameImageForTheSameNameAndSize)
{
    IconCache cache(QDir(resources).filePath(QStringLiteral("icons")));
    const QImage first = cache.image(QStringLiteral("check-circle"), 16);
    const QImage again = cache.image(QStringLiteral("check-circle"), 16);
    EXPECT_EQ(first.cacheKey(), again.cacheKey());
    EXPECT_EQ(first.size(), QSize(16, 16));

    const QImage larger = cache.image(QStringLiteral("check-circle"), 24);
    EXPECT_NE(larger.cacheKey(), first.cacheKey());
    EXPECT_EQ(larger.size(), QSize(24, 24));
}

TEST(IconCache, EveryIconTheViewsUseIsABlackTemplate)
{
    IconCache cache(QDir(resources).filePath(QStringLiteral("icons")));
    for (const char* name : { "arrow-right", "x", "check-circle", "text-aa", "sparkle", "hand-palm", "quillcraft" }) {
        SCOPED_TRACE(name);
        const Coverage drawn = coverage(cache.image(QString::fromLatin1(name), 16), qRgb(0, 0, 0));
        EXPECT_GT(drawn.visible, 10);
        EXPECT_TRUE(drawn.allOf);
    }
}

TEST(IconCache, AMissingOrOddlyNamedIconIsTransparent)
{
    IconCache cache(QDir(resources).filePath(QStringLiteral("icons")));
    for (const QString& name : { QStringLiteral("no-such-icon"), QString(), QStringLiteral("../icons/x") }) {
        SCOPED_TRACE(name.toStdString());
        const QImage image = cache.image(name, 12);
        EXPECT_EQ(image.size(), QSize(12, 12));
        EXPECT_EQ(coverage(image, 0).visible, 0);
    }
    // A folder that does not exist behaves the same.
    IconCache nowhere(QStringLiteral("/nonexistent/icons"));
    EXPECT_EQ(coverage(nowhere.image(QStringLiteral("x"), 12), 0).visible, 0);
    EXPECT_EQ(nowhere.image(QStringLiteral("x"), 0).size(), QSize(1, 1));
}

TEST(Tint, RecoloursTheShapesAndKeepsTheirEdges)
{
    IconCache cache(QDir(resources).filePath(QStringLiteral("icons")));
    const QImage icon = cache.image(QStringLiteral("x"), 16);
    const QImage red = Theme::tinted(icon, Theme::error);
    EXPECT_EQ(red.size(), icon.size());
    EXPECT_TRUE(coverage(red, Theme::error.rgb()).allOf);
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x)
            ASSERT_EQ(qAlpha(red.pixel(x, y)), qAlpha(icon.pixel(x, y))) << x << "," << y;
    }
}

TEST(AppearanceChoice, ForcedPalettesLookTheWayAsked)
{
    QPalette light(Qt::black, Qt::white);
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    ASSERT_EQ(AppearanceChoice::of(light), Appearance::light);

    // The desktop's own colours stay when they already match.
    EXPECT_EQ(AppearanceChoice::paletteFor(Appearance::light, light), light);
    const QPalette dark = AppearanceChoice::paletteFor(Appearance::dark, light);
    EXPECT_EQ(AppearanceChoice::of(dark), Appearance::dark);
    EXPECT_LT(Theme::textBackground(dark).lightnessF(), 0.3);
    EXPECT_GT(Theme::primary(dark).lightnessF(), 0.7);
    EXPECT_EQ(AppearanceChoice::of(AppearanceChoice::paletteFor(Appearance::light, dark)), Appearance::light);
    // Secondary text is the primary colour, fainter.
    EXPECT_EQ(Theme::secondary(dark).rgb(), Theme::primary(dark).rgb());
    EXPECT_LT(Theme::secondary(dark).alphaF(), 1.0);
}

} // namespace
