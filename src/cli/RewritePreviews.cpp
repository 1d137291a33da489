#include "RewritePreviews.h"

#include "core/DevelopmentHooks.h"
#include "rewrite/RewriteSession.h"
#include "service/QuillcraftClient.h"
#include "service/RewriterOptions.h"
#include "settings/DefaultsStore.h"
#include "settings/PreferenceKeys.h"
#include "views/CardSurface.h"
#include "views/RewriteCard.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <functional>

namespace quillcraft::RewritePreviews {

namespace {

using Phase = RewriteSession::Phase;

const QString sampleSelection
    = QStringLiteral("I think we should probably circle back on this next week, if that works for everyone.");
const QString sampleRewrite = QStringLiteral("Let's revisit this next week if that works for everyone.");

// A defaults store in a temporary folder that goes with the preview.
class ScratchDefaults final : public QObject {
public:
    ScratchDefaults()
        : m_store(m_folder.filePath(QStringLiteral("defaults.json")))
    {
    }
    DefaultsStore& store() { return m_store; }

private:
    QTemporaryDir m_folder;
    DefaultsStore m_store;
};

// A card on a new session that `prepare` puts in the state to show; the surface owns
// everything, the card going first.
std::unique_ptr<QWidget> card(
    const QString& selection, const std::function<void(RewriteSession&)>& prepare, const QStringList& savedTones = {})
{
    auto* network = new QNetworkAccessManager;
    auto* session = new RewriteSession(
        selection, QuillcraftClient(network, DevelopmentHooks::origin()), QStringLiteral("English"));
    auto* defaults = new ScratchDefaults;
    if (!savedTones.isEmpty())
        defaults->store().setValue(PreferenceKeys::savedCustomTones.name, savedTones);
    prepare(*session);
    auto* content = new RewriteCard(*session, defaults->store(), {});
    auto surface = std::make_unique<CardSurface>(RewriteCard::width, content);
    for (QObject* owned : std::initializer_list<QObject*> { session, defaults, network })
        owned->setParent(surface.get());
    return surface;
}

void selectProfessionalAndFriendly(RewriteSession& session)
{
    session.setPresets({ QStringLiteral("Professional"), QStringLiteral("Friendly") });
}

QString longSelection()
{
    const QStringList pieces { QStringLiteral("We"), QStringLiteral("should"), QStringLiteral("meet"),
        QStringLiteral("😀"), QStringLiteral("שלום"), QStringLiteral("עולם"), QStringLiteral("مرحبا"),
        QStringLiteral("again"), QStringLiteral("👩‍💻"), QStringLiteral("soon.") };
    QStringList words;
    words << QStringLiteral("שלום לכולם, נתראה בשבוע הבא.");
    words << QString(200, QLatin1Char('x'));
    for (int i = 0; words.size() < 2000; ++i)
        words << pieces[i % pieces.size()];
    return words.join(QLatin1Char(' '));
}

} // namespace

std::unique_ptr<QWidget> finished()
{
    return card(sampleSelection, [](RewriteSession& session) {
        selectProfessionalAndFriendly(session);
        session.present(session.draft(), Phase::done(sampleRewrite));
    });
}

std::unique_ptr<QWidget> failed()
{
    return card(sampleSelection, [](RewriteSession& session) {
        session.present(
            RewriteAction::rewrite(), Phase::failed(QuillcraftClient::failure(429, R"({"error":"login_required"})")));
    });
}

std::unique_ptr<QWidget> failedWith(const RewriteFailure& failure)
{
    return card(sampleSelection,
        [failure](RewriteSession& session) { session.present(RewriteAction::rewrite(), Phase::failed(failure)); });
}

std::unique_ptr<QWidget> choosing()
{
    return card(sampleSelection, selectProfessionalAndFriendly);
}

std::unique_ptr<QWidget> grammar()
{
    return card(sampleSelection, [](RewriteSession& session) { session.setMode(RewriteAction::Mode::grammar); });
}

std::unique_ptr<QWidget> custom()
{
    const QStringList saved { QStringLiteral("Warm but brief"), QStringLiteral("Like a pirate"),
        QStringLiteral("Plain English for a board report with no jargon at all"), QStringLiteral("Gentle") };
    return card(
        sampleSelection,
        [](RewriteSession& session) {
            session.setToneSource(RewriteAction::Source::custom);
            session.setCustom({ QStringLiteral("Like a pirate") });
        },
        saved);
}

std::unique_ptr<QWidget> streaming()
{
    return card(sampleSelection, [](RewriteSession& session) {
        selectProfessionalAndFriendly(session);
        session.present(session.draft(), Phase::running(QStringLiteral("Let's revisit this next week")));
    });
}

std::unique_ptr<QWidget> longText()
{
    return card(longSelection(), [](RewriteSession& session) {
        session.setPresets(RewriterOptions::presets());
        session.setExpanded(true);
        session.setRole(QStringLiteral("Business Professional"));
        QString result = QStringLiteral("שלום לכולם 😀 ");
        for (int i = 0; i < 120; ++i)
            result += QStringLiteral("We meet again soon 😀 مرحبا ");
        session.present(session.draft(), Phase::done(result + QString(200, QLatin1Char('y'))));
    });
}

} // namespace quillcraft::RewritePreviews
