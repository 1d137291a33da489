// The floating surfaces on a real X server with openbox, with and without a
// compositing manager: the underline overlay lies exactly over a target's field
// and lets clicks through, panels act on a click without taking the focus, stay
// off the taskbar and show on every desktop. Runs inside tests/e2e/session.sh.

#include "E2eSupport.h"
#include "Wait.h"
#include "platform/AX.h"
#include "platform/FloatingWindows.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/X11Display.h"
#include "surfaces/FloatingPanel.h"
#include "surfaces/ScreenCoordinates.h"
#include "surfaces/UnderlineOverlay.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <memory>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

// Standard output of a command, or "" when it fails.
QString outputOf(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Where the X server shows a window (device pixels, top-left), by xwininfo.
std::optional<QRect> shownRect(WId window)
{
    const QString info = outputOf(QStringLiteral("xwininfo"), { QStringLiteral("-id"), QString::number(window) });
    if (!info.contains(QStringLiteral("IsViewable")))
        return std::nullopt;
    const auto number = [&](const QString& label) {
        const auto match = QRegularExpression(label + QStringLiteral(":\\s+(-?\\d+)")).match(info);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    return QRect(number(QStringLiteral("Absolute upper-left X")), number(QStringLiteral("Absolute upper-left Y")),
        number(QStringLiteral("Width")), number(QStringLiteral("Height")));
}

QString propertiesOf(WId window)
{
    return outputOf(QStringLiteral("xprop"),
        { QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_STATE"),
            QStringLiteral("_NET_WM_DESKTOP") });
}

std::optional<int> caretOf(const TargetApp& target)
{
    const ElementRef field = target.element(lineField);
    if (!field)
        return std::nullopt;
    const auto range = AX::range(*field, AX::selectedTextRange);
    return range ? std::optional<int>(int(range->location)) : std::nullopt;
}

// The top-level window (a window manager's frame, or the window itself when
// override-redirect) holding a window, and its place in the stacking order
// (0 at the bottom); -1 when not found.
int stackingIndex(WId window)
{
    Display* display = qtX11Display();
    const Window root = DefaultRootWindow(display);
    Window topLevel = window;
    for (;;) {
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, topLevel, &rootReturn, &parent, &children, &count))
            return -1;
        if (children)
            XFree(children);
        if (parent == root)
            break;
        topLevel = parent;
    }
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count))
        return -1;
    int index = -1;
    for (unsigned int i = 0; i < count; ++i) {
        if (children[i] == topLevel)
            index = int(i);
    }
    if (children)
        XFree(children);
    return index;
}

qreal scale()
{
    return QGuiApplication::primaryScreen()->devicePixelRatio();
}

// A compositing manager for the life of the object (xcompmgr, started by us).
class Compositor final {
public:
    explicit Compositor(FloatingWindows& windows)
    {
        m_process.start(QStringLiteral("xcompmgr"), QStringList {});
        m_running = m_process.waitForStarted(5000) && waitUntil([&] { return windows.compositing(); });
    }
    ~Compositor()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    bool isRunning() const { return m_running; }

private:
    QProcess m_process;
    bool m_running = false;
};

struct OverlayCase {
    Toolkit toolkit;
    bool compositor;
};

void PrintTo(const OverlayCase& c, std::ostream* out)
{
    *out << toolkitName(c.toolkit).toStdString() << (c.compositor ? "_composited" : "_plain");
}

class SurfacesE2eTest : public ::testing::TestWithParam<OverlayCase> {
protected:
    std::unique_ptr<LinuxSystem> m_system = createLinuxSystem();
};

TEST_P(SurfacesE2eTest, OverlayLiesOverTheFieldAndClicksReachIt)
{
    // The target at scale 1 even when this program runs scaled: its extents are device pixels.
    TargetApp target(GetParam().toolkit, { QStringLiteral("--line"), QStringLiteral("Hello there friend") },
        { QStringLiteral("QT_SCALE_FACTOR=1") });
    ASSERT_TRUE(target.start());
    std::unique_ptr<Compositor> compositor;
    if (GetParam().compositor) {
        compositor = std::make_unique<Compositor>(m_system->floatingWindows());
        ASSERT_TRUE(compositor->isRunning()) << "xcompmgr did not take the compositing selection.";
    } else {
        ASSERT_FALSE(m_system->floatingWindows().compositing());
    }
    // The focus starts in the text area; the click through the overlay moves it.
    ASSERT_TRUE(target.focus(textArea));

    // The field's extents in device pixels; the program works in logical ones.
    const QRect device = *target.rect(lineField);
    const QList<ScreenGeometry> screens = m_system->screens().screens();
    const qreal s = scale();
    if (qEnvironmentVariableIsSet("QUILLCRAFT_SURFACES_NESTED")) {
        ASSERT_EQ(s, 2.0); // the scaled run really is scaled
    }
    const QRectF field = ScreenCoordinates::fromQt(
        QRect(QRectF(device.x() / s, device.y() / s, device.width() / s, device.height() / s).toRect()), screens);
    const QRectF word(field.x() + 6, field.y() + 6, 30, field.height() - 12);

    UnderlineOverlay overlay(m_system->screens(), &m_system->floatingWindows());
    overlay.show({ { word, QColor(0xF4, 0x3F, 0x5E), true } }, field);
    const WId window = overlay.window()->winId();
    std::optional<QRect> shown;
    ASSERT_TRUE(waitUntil([&] { return (shown = shownRect(window)).has_value(); }));
    const int outset = qRound(4 * s);
    const QRect expected = device.adjusted(-outset, -outset, outset, outset);
    EXPECT_LE((shown->topLeft() - expected.topLeft()).manhattanLength(), int(s) - 1)
        << "shown at " << shown->x() << "," << shown->y() << " for " << expected.x() << "," << expected.y();
    EXPECT_LE(qAbs(shown->width() - expected.width()) + qAbs(shown->height() - expected.height()), 2 * (int(s) - 1));
    EXPECT_EQ(propertiesOf(window).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")), true);
    // Cut to its marks only when nothing composites, where it would otherwise show black.
    EXPECT_EQ(overlay.window()->mask().isEmpty(), GetParam().compositor);

    // A click on the overlay, over the field's first letter, focuses the field
    // and puts the caret there (GTK takes clicks only inside its entry's padding).
    spin(100);
    const int inset = GetParam().toolkit == Toolkit::gtk ? 14 : 4;
    ASSERT_TRUE(clickAt(QPoint(device.x() + inset, device.center().y())));
    EXPECT_TRUE(waitUntil([&] { return target.isFocused(lineField); }));
    EXPECT_TRUE(waitUntil([&] { return caretOf(target).value_or(99) <= 1; }))
        << "caret at " << caretOf(target).value_or(-1);
    const int caret = caretOf(target).value_or(0);
    ASSERT_TRUE(typeText(QStringLiteral("Oh ")));
    const QString expectedText = QStringLiteral("Hello there friend").insert(caret, QStringLiteral("Oh "));
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == expectedText; }))
        << target.text(lineField).value_or(QString()).toStdString();
}

// The overlay above a managed badge, clicked through; the cards clicked on.
TEST_P(SurfacesE2eTest, PanelButtonActsOnTheFirstClickAndTypingStaysInTheTarget)
{
    TargetApp target(GetParam().toolkit, { QStringLiteral("--line"), QStringLiteral("Typed") });
    ASSERT_TRUE(target.start());
    std::unique_ptr<Compositor> compositor;
    if (GetParam().compositor) {
        compositor = std::make_unique<Compositor>(m_system->floatingWindows());
        ASSERT_TRUE(compositor->isRunning());
    }
    ASSERT_TRUE(target.focus(lineField));
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));

    const QList<ScreenGeometry> screens = m_system->screens().screens();
    const QRectF field = ScreenCoordinates::fromQt(*target.rect(lineField), screens);
    for (const FloatingPanel::Level level : { FloatingPanel::Level::card, FloatingPanel::Level::badge }) {
        SCOPED_TRACE(level == FloatingPanel::Level::card ? "card" : "badge");
        FloatingPanel panel(level, m_system->screens(), &m_system->floatingWindows());
        int clicks = 0;
        auto* button = new QPushButton(QStringLiteral("Accept"));
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
        panel.show(button);
        panel.place(field);
        panel.orderFront();
        std::optional<QRect> shown;
        ASSERT_TRUE(waitUntil([&] { return (shown = shownRect(panel.winId())).has_value(); }));
        spin(150);

        ASSERT_TRUE(clickAt(shown->center()));
        EXPECT_TRUE(waitUntil([&] { return clicks == 1; }));
        EXPECT_FALSE(panel.isActiveWindow());
        const QString before = target.text(lineField).value_or(QString());
        ASSERT_TRUE(typeText(QStringLiteral("x")));
        EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == before + QStringLiteral("x"); }))
            << target.text(lineField).value_or(QString()).toStdString();

        // No taskbar or pager entry and on every desktop, again after a hide.
        for (int round = 0; round < 2; ++round) {
            const QString properties = propertiesOf(panel.winId());
            EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"))) << properties.toStdString();
            EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_STATE_SKIP_PAGER")));
            EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295")));
            panel.orderOut();
            spin(100);
            panel.orderFront();
            ASSERT_TRUE(waitUntil([&] { return shownRect(panel.winId()).has_value(); }));
            spin(100);
        }
        panel.orderOut();
    }
}

// The rewrite card's case: a panel that takes the keyboard gets the typing,
// Escape reaches its handler, and the focus goes back to the field.
TEST(SurfacesE2eFocusTest, KeyboardPanelTakesTypingAndHandsTheFocusBack)
{
    const auto system = createLinuxSystem();
    TargetApp target(Toolkit::qt, { QStringLiteral("--line"), QStringLiteral("Kept") });
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(target.focus(lineField));
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));

    FloatingPanel card(FloatingPanel::Level::card, system->screens(), &system->floatingWindows());
    card.setTakesKeyboard(true);
    int escapes = 0;
    card.onEscape = [&] { ++escapes; };
    auto* entry = new QLineEdit;
    entry->setMinimumWidth(200);
    card.show(entry);
    card.place(ScreenCoordinates::fromQt(*target.rect(lineField), system->screens().screens()));
    card.orderFront();
    entry->setFocus();
    ASSERT_TRUE(waitUntil([&] { return card.isActiveWindow(); }));

    ASSERT_TRUE(typeText(QStringLiteral("abc")));
    EXPECT_TRUE(waitUntil([&] { return entry->text() == QStringLiteral("abc"); }));
    EXPECT_EQ(target.text(lineField), QStringLiteral("Kept"));
    ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([&] { return escapes == 1; }));

    // Handed back while the card still shows: typing reaches the field again.
    EXPECT_TRUE(card.returnFocus());
    EXPECT_TRUE(waitUntil([&] { return !card.isActiveWindow() && target.isFocused(lineField); }));
    ASSERT_TRUE(typeText(QStringLiteral("!")));
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == QStringLiteral("Kept!"); }))
        << target.text(lineField).value_or(QString()).toStdString();
    EXPECT_EQ(entry->text(), QStringLiteral("abc"));
}

// At twice the scale the program's logical pixels are half the server's: the
// overlay must still cover the field to the device pixel. This binary runs its
// overlay cases again with QT_SCALE_FACTOR=2.
TEST(SurfacesE2eScaleTest, OverlayLiesOverTheFieldAtScaleTwo)
{
    if (qEnvironmentVariableIsSet("QUILLCRAFT_SURFACES_NESTED"))
        GTEST_SKIP() << "Already the scaled run.";
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("QUILLCRAFT_SURFACES_NESTED"), QStringLiteral("1"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=*OverlayLiesOverTheFieldAndClicksReachIt/*Plain") });
    ASSERT_TRUE(run.waitForFinished(120000));
    const QString output = QString::fromUtf8(run.readAll());
    EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 2 tests"))) << output.toStdString();
}

// Cards are override-redirect so that they stay above the managed badge through
// its raises and clicks, and above an overlay that appeared before them.
TEST(SurfacesE2eStackingTest, CardsStayAboveTheBadgeAndTheOverlay)
{
    const auto system = createLinuxSystem();
    const QRectF field(300, 500, 400, 60);
    FloatingPanel badge(FloatingPanel::Level::badge, system->screens(), &system->floatingWindows());
    auto* count = new QPushButton(QStringLiteral("3"));
    badge.show(count);
    badge.setOrigin(QPointF(field.right() - 40, field.top() + 2));
    UnderlineOverlay overlay(system->screens(), &system->floatingWindows());
    FloatingPanel card(FloatingPanel::Level::card, system->screens(), &system->floatingWindows());
    card.show(new QPushButton(QStringLiteral("Suggestion")));
    card.place(QRectF(320, 520, 40, 18));

    badge.orderFront();
    ASSERT_TRUE(waitUntil([&] { return shownRect(badge.winId()).has_value(); }));
    overlay.show({ { QRectF(320, 520, 40, 18), QColor(0x3B, 0x82, 0xF6), true } }, field);
    card.orderFront();
    ASSERT_TRUE(waitUntil([&] { return shownRect(card.winId()).has_value(); }));
    spin(200);
    EXPECT_GT(stackingIndex(overlay.window()->winId()), stackingIndex(badge.winId()));
    EXPECT_GT(stackingIndex(card.winId()), stackingIndex(overlay.window()->winId()));

    // Raised and clicked, the badge still stays under the card.
    badge.orderFront();
    spin(200);
    const std::optional<QRect> badgeShown = shownRect(badge.winId());
    ASSERT_TRUE(badgeShown);
    ASSERT_TRUE(clickAt(badgeShown->center()));
    spin(200);
    EXPECT_GT(stackingIndex(card.winId()), stackingIndex(badge.winId()));
    EXPECT_FALSE(badge.isActiveWindow());
}

INSTANTIATE_TEST_SUITE_P(Toolkits, SurfacesE2eTest,
    ::testing::Values(OverlayCase { Toolkit::qt, false }, OverlayCase { Toolkit::gtk, false },
        OverlayCase { Toolkit::qt, true }, OverlayCase { Toolkit::gtk, true }),
    [](const ::testing::TestParamInfo<OverlayCase>& param) {
        return toolkitName(param.param.toolkit).toStdString() + (param.param.compositor ? "Composited" : "Plain");
    });

} // namespace
