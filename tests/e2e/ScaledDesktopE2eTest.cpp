// Targets and this program at different scales (QT_SCALE_FACTOR, GDK_SCALE):
// the snapshot that `quillcraft inspect` prints matches the window geometry
// that xwininfo reports. Compared: xwininfo's client rectangle in device
// pixels, divided by the inspecting program's scale and flipped against the
// screen's height in its logical pixels, with the snapshot's frames. Runs
// inside tests/e2e/session.sh.

#include "E2eSupport.h"
#include "Wait.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <tuple>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

// The harness's only screen, in device pixels.
constexpr qreal screenHeight = 1024;

QString run(const QString& program, const QStringList& arguments, const QStringList& environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The visible top-level window of a process, as xwininfo has it: top-left based device pixels.
std::optional<QRectF> windowGeometry(qint64 pid)
{
    const QStringList ids = run(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid) })
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (ids.isEmpty())
        return std::nullopt;
    const QString info = run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), ids.last() });
    const auto number = [&info](const char* label) {
        const QRegularExpression pattern(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(label)));
        return info.contains(pattern) ? pattern.match(info).captured(1).toDouble() : -1.0;
    };
    const QRectF rect(
        number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
    if (rect.width() <= 0 || rect.height() <= 0)
        return std::nullopt;
    return rect;
}

// The same rectangle in the inspecting program's logical, bottom-left based pixels.
QRectF programRect(const QRectF& device, qreal ownScale)
{
    return QRectF(device.x() / ownScale, (screenHeight - device.y() - device.height()) / ownScale,
        device.width() / ownScale, device.height() / ownScale);
}

std::optional<QRectF> rectOf(const QJsonObject& report, const QString& key)
{
    const QJsonArray values = report.value(key).toArray();
    if (values.size() != 4)
        return std::nullopt;
    return QRectF(values[0].toDouble(), values[1].toDouble(), values[2].toDouble(), values[3].toDouble());
}

bool near(const QRectF& a, const QRectF& b, qreal tolerance = 1)
{
    return std::abs(a.left() - b.left()) <= tolerance && std::abs(a.top() - b.top()) <= tolerance
        && std::abs(a.right() - b.right()) <= tolerance && std::abs(a.bottom() - b.bottom()) <= tolerance;
}

bool inside(const QRectF& outer, const QRectF& inner, qreal tolerance = 1)
{
    return outer.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(inner);
}

std::string describe(const std::optional<QRectF>& rect)
{
    if (!rect)
        return "none";
    return QStringLiteral("(%1, %2, %3 x %4)")
        .arg(rect->x())
        .arg(rect->y())
        .arg(rect->width())
        .arg(rect->height())
        .toStdString();
}

// Toolkit, the target's scale, the inspecting program's scale.
using Scales = std::tuple<Toolkit, int, int>;

class ScaledDesktopE2eTest : public testing::TestWithParam<Scales> {
protected:
    Toolkit toolkit() const { return std::get<0>(GetParam()); }
    int targetScale() const { return std::get<1>(GetParam()); }
    int ownScale() const { return std::get<2>(GetParam()); }

    QStringList targetEnvironment() const
    {
        const QString scale = QString::number(targetScale());
        return { (toolkit() == Toolkit::qt ? QStringLiteral("QT_SCALE_FACTOR=") : QStringLiteral("GDK_SCALE="))
            + scale };
    }

    // Activates the target's window; its first field takes keyboard focus by itself.
    bool activate(const TargetApp& target)
    {
        xdotool({ QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
            QStringLiteral("--pid"), QString::number(target.pid()), QStringLiteral("windowactivate"),
            QStringLiteral("--sync") });
        return waitUntil([&] { return target.isFocused(lineField); }, 10000);
    }

    // `quillcraft inspect` at our scale, once the line field is what it shows.
    QJsonObject inspect()
    {
        QJsonObject report;
        waitUntil(
            [&] {
                report = QJsonDocument::fromJson(run(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect") },
                                                     { QStringLiteral("QT_SCALE_FACTOR=%1").arg(ownScale()) })
                                                     .toUtf8())
                             .object();
                return report.value(QStringLiteral("isField")).toBool();
            },
            15000);
        return report;
    }
};

} // namespace

TEST_P(ScaledDesktopE2eTest, FieldFillingItsWindowHasTheWindowsFrame)
{
    TargetApp target(toolkit(), { QStringLiteral("--alone") }, targetEnvironment());
    ASSERT_TRUE(target.start()) << "the target did not come up";
    ASSERT_TRUE(activate(target));
    const auto window = windowGeometry(target.pid());
    ASSERT_TRUE(window);
    const QRectF expected = programRect(*window, ownScale());

    const QJsonObject report = inspect();
    ASSERT_TRUE(report.value(QStringLiteral("isField")).toBool())
        << report.value(QStringLiteral("reason")).toString().toStdString();
    const auto frame = rectOf(report, QStringLiteral("frame"));
    const auto visible = rectOf(report, QStringLiteral("visibleFrame"));
    EXPECT_TRUE(frame && near(*frame, expected)) << describe(frame) << " for " << describe(expected);
    EXPECT_TRUE(visible && near(*visible, expected)) << describe(visible) << " for " << describe(expected);
}

TEST_P(ScaledDesktopE2eTest, LineFieldLiesInsideItsWindowAndIsNotClipped)
{
    TargetApp target(toolkit(), {}, targetEnvironment());
    ASSERT_TRUE(target.start()) << "the target did not come up";
    ASSERT_TRUE(activate(target));
    const auto window = windowGeometry(target.pid());
    ASSERT_TRUE(window);
    const QRectF expected = programRect(*window, ownScale());

    const QJsonObject report = inspect();
    ASSERT_TRUE(report.value(QStringLiteral("isField")).toBool())
        << report.value(QStringLiteral("reason")).toString().toStdString();
    const auto frame = rectOf(report, QStringLiteral("frame"));
    const auto visible = rectOf(report, QStringLiteral("visibleFrame"));
    ASSERT_TRUE(frame && visible);
    EXPECT_TRUE(inside(expected, *frame)) << describe(frame) << " outside " << describe(expected);
    // Wholly inside its window, the field loses nothing to clipping.
    EXPECT_TRUE(near(*visible, *frame)) << describe(visible) << " for " << describe(frame);
    // The field spans most of the window's width, with the same margins at our scale as at the target's.
    EXPECT_GT(frame->width(), expected.width() * 0.9);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledDesktopE2eTest,
    testing::Combine(testing::Values(Toolkit::qt, Toolkit::gtk), testing::Values(1, 2), testing::Values(1, 2)),
    [](const testing::TestParamInfo<Scales>& param) {
        return QStringLiteral("%1_at_%2_inspected_at_%3")
            .arg(toolkitName(std::get<0>(param.param)))
            .arg(std::get<1>(param.param))
            .arg(std::get<2>(param.param))
            .toStdString();
    });
