#include "assistant/RewriteController.h"

#include "assistant/writeback/EditApplier.h"
#include "assistant/writeback/RewritePlacement.h"
#include "core/Clock.h"
#include "core/PlatformWording.h"
#include "platform/FrontmostApp.h"
#include "rewrite/RewriteSession.h"
#include "settings/AppPolicy.h"
#include "surfaces/FloatingPanel.h"
#include "views/CardSurface.h"
#include "views/RewriteCard.h"

namespace quillcraft {

RewriteController::RewriteController(const QuillcraftClient& client, AppPolicy& policy, EditApplier& applier,
    FrontmostApp& apps, const Screens& screens, FloatingWindows* windows, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_client(client)
    , m_policy(policy)
    , m_applier(applier)
    , m_apps(apps)
    , m_clock(clock)
    , m_panel(std::make_unique<FloatingPanel>(FloatingPanel::Level::card, screens, windows))
    , m_refit(clock, this)
{
    m_panel->setTakesKeyboard(true);
    m_panel->onEscape = [this] { close(true); };
}

RewriteController::~RewriteController() = default;

void RewriteController::open(const FocusedField& field, TextRange range, const std::optional<RewriteAction>& running)
{
    close(false);
    const QString source = field.text().mid(range.location, range.length);
    auto* session = new RewriteSession(source, m_client, m_policy.language());
    RewriteCard::Callbacks callbacks;
    callbacks.onReplace = [this](const QString& text) { replace(text); };
    callbacks.onCopy = [this](const QString& text) { copy(text); };
    callbacks.onClose = [this] { close(true); };
    callbacks.onSignIn = [this] {
        close(true);
        if (onSignIn)
            onSignIn();
    };
    callbacks.onUpgrade = [this] {
        close(true);
        if (onUpgrade)
            onUpgrade();
    };
    auto* surface = new CardSurface(RewriteCard::width, new RewriteCard(*session, m_policy.defaults(), callbacks));
    // The card refers to the session: as the surface's later child it is deleted after the card.
    session->setParent(surface);
    m_session = session;
    m_target = Target { field, range, source };

    QRectF anchor = field.visibleFrame();
    if (const std::optional<QRectF> bounds = field.bounds(range)) {
        const QRectF shown = bounds->intersected(field.visibleFrame());
        if (!shown.isEmpty())
            anchor = shown;
    }
    m_panel->show(surface);
    m_panel->place(anchor);
    m_panel->orderFront();
    if (running)
        session->run(*running);
    connect(session, &RewriteSession::changed, this, [this] {
        if (!m_refit.isPending())
            m_refit.schedule(refitIntervalMs, [this] { m_panel->fitToContent(); });
    });
}

void RewriteController::close(bool returnFocus)
{
    m_refit.cancel();
    if (m_session)
        m_session->cancel();
    const std::optional<Target> old = std::exchange(m_target, std::nullopt);
    if (m_panel->isVisible()) {
        m_panel->orderOut();
        if (returnFocus && old && !m_panel->returnFocus())
            m_apps.activate(old->field.pid());
    }
    // The card may be the sender of this call: its surface goes later, with the session.
    if (m_panel->content())
        m_panel->show(nullptr);
    m_session = nullptr;
}

void RewriteController::replace(const QString& text)
{
    if (!m_target || m_replacing || m_applier.isApplying())
        return;
    const Target target = *m_target;
    close(true);
    m_replacing = true;
    m_clock.after(replaceDelayMs, this, [this, target, text] {
        m_replacing = false;
        writeBack(target, text);
    });
}

void RewriteController::writeBack(const Target& target, const QString& text)
{
    const std::optional<FocusedField> fresh = target.field.refreshed();
    if (!fresh) {
        m_applier.copy(text, PlatformWording::apply(QStringLiteral("Copied. The field closed, so paste it with ⌘V.")));
        return;
    }
    const RewritePlacement placement = placeRewrite(fresh->text(), target.range, target.source, text);
    switch (placement.outcome) {
    case RewritePlacement::Outcome::nothing:
        return;
    case RewritePlacement::Outcome::copy:
        m_applier.copy(text, placement.notice);
        return;
    case RewritePlacement::Outcome::edit:
        break;
    }
    m_applier.apply(placement.edit, *fresh, [this, field = *fresh](bool) {
        if (onWritten)
            onWritten(field);
    });
}

void RewriteController::copy(const QString& text)
{
    close(true);
    m_applier.copy(text, QStringLiteral("Copied the rewrite."));
}

bool RewriteController::isVisible() const
{
    return m_panel->isVisible();
}

QRectF RewriteController::frame() const
{
    return m_panel->frame();
}

QString RewriteController::phaseName() const
{
    if (!m_session)
        return QStringLiteral("none");
    switch (m_session->phase().kind) {
    case RewriteSession::Phase::Kind::running:
        return QStringLiteral("running");
    case RewriteSession::Phase::Kind::done:
        return QStringLiteral("done");
    case RewriteSession::Phase::Kind::failed:
        return QStringLiteral("failed");
    case RewriteSession::Phase::Kind::choosing:
        break;
    }
    return QStringLiteral("choosing");
}

} // namespace quillcraft
