// The cards' costs as a user meets them: one streamed piece appended to a long
// rewrite (laid out and painted again), and a suggestion card from the hover that
// opens it to its first paint. Each against a plain repaint of the same card.

#include "MedianTime.h"

#include "platform/Screens.h"
#include "rewrite/RewriteSession.h"
#include "service/QuillcraftClient.h"
#include "settings/DefaultsStore.h"
#include "surfaces/FloatingPanel.h"
#include "views/CardSurface.h"
#include "views/IssueSamples.h"
#include "views/RewriteCard.h"
#include "views/SuggestionCard.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>

using namespace quillcraft;

namespace {

class PrimaryScreen final : public Screens {
public:
    QList<ScreenGeometry> screens() const override
    {
        const QRectF frame(QGuiApplication::primaryScreen()->geometry());
        return { { frame, frame } };
    }
};

QString words(int count)
{
    const QStringList pieces { QStringLiteral("We"), QStringLiteral("should"), QStringLiteral("meet"),
        QStringLiteral("again"), QStringLiteral("next"), QStringLiteral("week,"), QStringLiteral("if"),
        QStringLiteral("that"), QStringLiteral("works.") };
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << pieces[i % pieces.size()];
    return list.join(QLatin1Char(' '));
}

void print(const char* name, double ms, const char* target, double ratio)
{
    std::printf("%-34s %9.3f ms %10s %10.1f\n", name, ms, target, ratio);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const PrimaryScreen screens;
    QTemporaryDir folder;
    DefaultsStore defaults(folder.filePath(QStringLiteral("defaults.json")));
    QNetworkAccessManager network;
    std::printf("%-34s %12s %10s %10s\n", "case", "median", "target", "x baseline");

    // A 2,000-word selection whose rewrite streams in; one more piece per step.
    {
        const QString source = words(2000);
        RewriteSession session(
            source, QuillcraftClient(&network, QUrl(QStringLiteral("http://127.0.0.1:9"))), QStringLiteral("English"));
        FloatingPanel panel(FloatingPanel::Level::card, screens, nullptr);
        auto* card = new RewriteCard(session, defaults, {});
        panel.show(new CardSurface(RewriteCard::width, card));
        panel.orderFront();
        QString streamed = words(1990);
        session.present(session.draft(), RewriteSession::Phase::running(streamed));
        QCoreApplication::processEvents();

        const double repaint = bench::medianTime<std::milli>(
            [&] {
                panel.repaint();
                QCoreApplication::processEvents();
            },
            30);
        const double delta = bench::medianTime<std::milli>(
            [&] {
                streamed += QStringLiteral(" more");
                session.present(session.draft(), RewriteSession::Phase::running(streamed));
                QCoreApplication::processEvents();
                panel.repaint();
            },
            30);
        print("repaint, 2,000-word stream (base)", repaint, "", 1.0);
        print("one streamed piece, laid out+paint", delta, "< 4 ms", delta / repaint);
    }

    // The suggestion card: built for the hovered issue, hosted, placed and painted.
    {
        FloatingPanel panel(FloatingPanel::Level::card, screens, nullptr);
        panel.show(SuggestionCard::onSurface(IssueSamples::spelling(), {}).release());
        panel.place(QRectF(300, 500, 60, 18));
        panel.orderFront();
        QCoreApplication::processEvents();
        const double repaint = bench::medianTime<std::milli>(
            [&] {
                panel.repaint();
                QCoreApplication::processEvents();
            },
            30);
        const double open = bench::medianTime<std::milli>(
            [&] {
                panel.orderOut();
                panel.update(SuggestionCard::onSurface(IssueSamples::spelling(), {}).release());
                panel.place(QRectF(300, 500, 60, 18));
                panel.orderFront();
                panel.repaint();
                QCoreApplication::processEvents();
            },
            30);
        print("repaint, suggestion card (base)", repaint, "", 1.0);
        print("suggestion card, hover to painted", open, "< 16 ms", open / repaint);
    }
    return 0;
}
