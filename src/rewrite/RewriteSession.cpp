#include "RewriteSession.h"

#include "core/Logging.h"

#include <QPointer>

namespace quillcraft {

namespace {

// Sets a field and, if it changed, tells its own signal and then changed().
// An observer may delete the session while being told; the rest is skipped.
template <typename T, typename Signal> void assign(RewriteSession* session, T& field, const T& value, Signal signal)
{
    if (field == value)
        return;
    field = value;
    const QPointer<RewriteSession> alive(session);
    Q_EMIT(session->*signal)();
    if (alive)
        Q_EMIT session->changed();
}

} // namespace

RewriteSession::RewriteSession(QString source, const QuillcraftClient& client, QString language, QObject* parent)
    : QObject(parent)
    , m_source(std::move(source))
    , m_client(client)
    , m_language(std::move(language))
{
}

// Destroying the task aborts the reply and silences its callbacks.
RewriteSession::~RewriteSession() = default;

void RewriteSession::setMode(RewriteAction::Mode mode)
{
    assign(this, m_mode, mode, &RewriteSession::modeChanged);
}

void RewriteSession::setToneSource(RewriteAction::Source source)
{
    assign(this, m_toneSource, source, &RewriteSession::toneSourceChanged);
}

void RewriteSession::setPresets(const QStringList& tones)
{
    assign(this, m_presets, tones, &RewriteSession::presetsChanged);
}

void RewriteSession::setCustom(const QStringList& tones)
{
    assign(this, m_custom, tones, &RewriteSession::customChanged);
}

void RewriteSession::setRole(const QString& role)
{
    assign(this, m_role, role, &RewriteSession::roleChanged);
}

void RewriteSession::setExpanded(bool expanded)
{
    assign(this, m_expanded, expanded, &RewriteSession::expandedChanged);
}

void RewriteSession::setPhase(const Phase& phase)
{
    assign(this, m_phase, phase, &RewriteSession::phaseChanged);
}

void RewriteSession::setLastAction(const std::optional<RewriteAction>& action)
{
    assign(this, m_lastAction, action, &RewriteSession::lastActionChanged);
}

const QStringList& RewriteSession::selected() const
{
    return m_toneSource == RewriteAction::Source::preset ? m_presets : m_custom;
}

RewriteAction RewriteSession::draft() const
{
    return RewriteAction { m_mode, selected(), m_toneSource, m_role };
}

std::optional<QString> RewriteSession::result() const
{
    if (m_phase.kind != Phase::Kind::done)
        return std::nullopt;
    return m_phase.text;
}

void RewriteSession::abandon()
{
    ++m_request;
    if (m_task)
        m_task->cancel();
}

void RewriteSession::run(const RewriteAction& action)
{
    abandon();
    const quint64 request = m_request;
    const QPointer<RewriteSession> alive(this);
    setMode(action.mode);
    if (alive)
        setLastAction(action);
    if (alive)
        setPhase(Phase::running());
    // An observer may have dropped the session, or abandoned this run, while
    // being told about it.
    if (!alive || request != m_request)
        return;
    m_task = m_client.rewrite(
        m_source, action, m_language,
        [this, request](const QString& text) {
            // A text piece never overwrites choosing, done or failed.
            if (request == m_request && m_phase.kind == Phase::Kind::running)
                setPhase(Phase::running(text));
        },
        [this, request](const RewriteTask::Outcome& outcome) {
            if (request == m_request)
                onOutcome(outcome);
        });
}

void RewriteSession::onOutcome(const RewriteTask::Outcome& outcome)
{
    if (const QString* text = std::get_if<QString>(&outcome)) {
        setPhase(Phase::done(*text));
    } else if (const RewriteFailure* failure = std::get_if<RewriteFailure>(&outcome)) {
        setPhase(Phase::failed(*failure));
    } else {
        qCDebug(lcRewrite) << "Rewrite broke off:" << std::get<RewriteTask::TransportError>(outcome).code;
        setPhase(Phase::failed(QuillcraftClient::failedGenerally()));
    }
}

void RewriteSession::edit()
{
    abandon();
    const QPointer<RewriteSession> alive(this);
    setPhase(Phase::choosing());
    if (alive)
        setLastAction(std::nullopt);
}

void RewriteSession::present(const std::optional<RewriteAction>& lastAction, const Phase& phase)
{
    abandon();
    const QPointer<RewriteSession> alive(this);
    setLastAction(lastAction);
    if (alive)
        setPhase(phase);
}

void RewriteSession::toggle(const QString& tone)
{
    const QPointer<RewriteSession> alive(this);
    edit();
    if (!alive)
        return;
    QStringList tones = selected();
    if (tones.contains(tone))
        tones.removeAll(tone);
    else
        tones.append(tone);
    if (m_toneSource == RewriteAction::Source::preset)
        setPresets(tones);
    else
        setCustom(tones);
}

void RewriteSession::cancel()
{
    abandon();
}

} // namespace quillcraft
