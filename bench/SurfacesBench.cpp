// Times UnderlineOverlay::show, which the assistant calls on every render tick:
// with an unchanged list (it should cost about a list comparison: target under
// 20 µs) and with 80 changed marks, repaint included (target under 2 ms). The
// baseline is comparing two 80-mark lists, the least an unchanged show can do.
// Then the resident memory that a full set of shown panels adds (target 15 MiB).
//
// Offscreen by default; run inside tests/e2e/session.sh with QT_QPA_PLATFORM=xcb (and
// xcompmgr started first, or not) for the X server's numbers, masks included.

#include "platform/Screens.h"
#include "platform/linux/X11FloatingWindows.h"
#include "surfaces/BadgeControl.h"
#include "surfaces/FloatingPanel.h"
#include "surfaces/UnderlineOverlay.h"
#include "views/FieldBadge.h"

#include "MedianTime.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace quillcraft;

namespace {

// The primary screen's geometry in bottom-left coordinates.
class PrimaryScreen final : public Screens {
public:
    QList<ScreenGeometry> screens() const override
    {
        const QRect frame = QGuiApplication::primaryScreen()->geometry();
        const QRectF flipped(frame.x(), 0, frame.width(), frame.height());
        return { { flipped, flipped } };
    }
};

double medianUs(const std::function<void()>& work)
{
    return bench::medianTime<std::micro>(work, 20);
}

// Resident memory of this process in MiB.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

// 80 marks on 8 lines of a 600x200 field, shifted by `shift` to make a changed list.
QList<UnderlineOverlay::Mark> marks(qreal shift)
{
    QList<UnderlineOverlay::Mark> list;
    for (int i = 0; i < 80; ++i) {
        const QRectF rect(210 + (i % 10) * 55 + shift, 290 - (i / 10) * 22, 40, 16);
        list.append({ rect, QColor(0xF4, 0x3F, 0x5E), i == 7 });
    }
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const PrimaryScreen screens;
    // On X11 the real hints, compositor check and (with no compositor) masks are timed too.
    X11FloatingWindows x11;
    FloatingWindows* windows = x11.isAvailable() ? &x11 : nullptr;
    std::printf("platform: %s, %s\n", qPrintable(QGuiApplication::platformName()),
        windows ? (windows->compositing() ? "compositor" : "no compositor") : "no window hints");
    const QRectF field(200, 100, 600, 200);

    const QList<UnderlineOverlay::Mark> first = marks(0);
    const QList<UnderlineOverlay::Mark> second = marks(1);
    // Built apart, so the comparison cannot stop at a shared data pointer.
    const QList<UnderlineOverlay::Mark> equal = marks(0);
    volatile bool sink = false;
    const double baseline = medianUs([&] { sink = equal == first; });

    double unchanged = 0;
    double changed = 0;
    {
        UnderlineOverlay overlay(screens, windows);
        overlay.show(first, field);
        QCoreApplication::processEvents();
        unchanged = medianUs([&] { overlay.show(first, field); });
        bool flip = false;
        changed = medianUs([&] {
            flip = !flip;
            overlay.show(flip ? second : first, field);
            QCoreApplication::processEvents(); // the repaint it asked for
        });
    }

    std::printf("%-28s %12s %12s %10s\n", "case", "median", "target", "x baseline");
    std::printf("%-28s %10.2f µs %12s %10.1f\n", "compare 80 marks (baseline)", baseline, "", 1.0);
    std::printf("%-28s %10.2f µs %12s %10.1f\n", "show, unchanged", unchanged, "< 20 µs", unchanged / baseline);
    std::printf("%-28s %10.2f µs %12s %10.1f\n", "show, 80 changed + paint", changed, "< 2000 µs", changed / baseline);

    // A badge update: a new count on the badge's picture, painted.
    double badge = 0;
    {
        FloatingPanel panel(FloatingPanel::Level::badge, screens, windows);
        auto control = std::make_unique<BadgeControl>(screens);
        auto picture = std::make_unique<FieldBadge>(FieldBadge::Checking {});
        FieldBadge* shown = picture.get();
        control->setContent(picture.release());
        panel.show(control.release());
        panel.setFrame(QRectF(810, 200, 36, 34));
        panel.orderFront();
        QCoreApplication::processEvents();
        qint64 count = 0;
        badge = medianUs([&] {
            shown->setState(FieldBadge::Issues { ++count % 120, false });
            QCoreApplication::processEvents();
        });
    }
    std::printf("%-28s %10.2f µs %12s %10.1f\n", "badge update + paint", badge, "< 1000 µs", badge / baseline);

    // The surfaces the program keeps: badge, suggestion card, issues panel, rewrite
    // card, selection button, toast, and the overlay, all shown once.
    QCoreApplication::processEvents();
    const double before = residentMiB();
    {
        std::vector<std::unique_ptr<FloatingPanel>> panels;
        const QSize sizes[] = { { 36, 34 }, { 356, 236 }, { 396, 456 }, { 476, 356 }, { 110, 34 }, { 336, 80 } };
        for (const QSize size : sizes) {
            auto panel = std::make_unique<FloatingPanel>(
                panels.empty() ? FloatingPanel::Level::badge : FloatingPanel::Level::card, screens, windows);
            auto* content = new QLabel(QStringLiteral("Content"));
            content->setMinimumSize(size);
            panel->show(content);
            panel->place(field);
            panel->orderFront();
            panels.push_back(std::move(panel));
        }
        UnderlineOverlay overlay(screens, windows);
        overlay.show(first, field);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        const double after = residentMiB();
        std::printf("%-28s %10.2f MiB %11s %10s\n", "resident, 6 panels + overlay", after - before, "<= 15 MiB", "");
        std::printf("%-28s %10.2f MiB\n", "resident before (baseline)", before);
    }
    return sink ? 0 : 0;
}
