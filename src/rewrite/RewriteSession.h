#pragma once

#include "service/QuillcraftClient.h"
#include "service/RewriteAction.h"
#include "service/RewriteFailure.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace quillcraft {

// The state behind one open rewrite card: the highlighted text, the choices
// made so far and the phase of the current request. At most one request runs
// at a time, and one that was abandoned can never change what the card shows,
// even when its reply arrives after a newer request started. Observers are
// told of every change after the value changed: the field's own signal, then
// changed(). GUI thread only.
class RewriteSession final : public QObject {
    Q_OBJECT

public:
    // What the card shows, compared by kind and payload.
    struct Phase final {
        enum class Kind { running, done, failed, choosing };
        Kind kind = Kind::choosing;
        // running: the text received so far; done: the finished, trimmed text.
        QString text;
        std::optional<RewriteFailure> failure; // failed only

        static Phase running(const QString& text = {}) { return { Kind::running, text, std::nullopt }; }
        static Phase done(const QString& text) { return { Kind::done, text, std::nullopt }; }
        static Phase failed(const RewriteFailure& failure) { return { Kind::failed, {}, failure }; }
        static Phase choosing() { return {}; }

        bool operator==(const Phase&) const = default;
    };

    // `language` is the rewrite language's display name, fixed for the session.
    RewriteSession(QString source, const QuillcraftClient& client, QString language, QObject* parent = nullptr);
    ~RewriteSession() override;

    const QString& source() const { return m_source; }
    const QString& language() const { return m_language; }
    const Phase& phase() const { return m_phase; }
    // The action of the request started last; none once the user went back to choosing.
    const std::optional<RewriteAction>& lastAction() const { return m_lastAction; }

    RewriteAction::Mode mode() const { return m_mode; }
    void setMode(RewriteAction::Mode mode);
    // Which tone list the card is editing.
    RewriteAction::Source toneSource() const { return m_toneSource; }
    void setToneSource(RewriteAction::Source source);
    // Selected tones of each list, in selection order.
    const QStringList& presets() const { return m_presets; }
    void setPresets(const QStringList& tones);
    const QStringList& custom() const { return m_custom; }
    void setCustom(const QStringList& tones);
    const QString& role() const { return m_role; }
    void setRole(const QString& role);
    // Whether the card shows all preset tones; kept here to survive re-rendering.
    bool expanded() const { return m_expanded; }
    void setExpanded(bool expanded);

    // The tone list being edited.
    const QStringList& selected() const;
    // The action the card would send now.
    RewriteAction draft() const;
    // The finished text; none unless the phase is done.
    std::optional<QString> result() const;

    // Starts a request for `action`, abandoning any request in flight.
    void run(const RewriteAction& action);
    // Abandons any request and goes back to choosing, forgetting lastAction.
    void edit();
    // Like edit(), then adds `tone` to the edited list or removes it from it.
    void toggle(const QString& tone);
    // Abandons any request and leaves the phase as it is (the card is closing).
    void cancel();
    // Abandons any request and shows `phase` with `lastAction` as if a request had ended
    // so: fixed states for previews and tests of the card. Sends nothing.
    void present(const std::optional<RewriteAction>& lastAction, const Phase& phase);

Q_SIGNALS:
    void phaseChanged();
    void lastActionChanged();
    void modeChanged();
    void toneSourceChanged();
    void presetsChanged();
    void customChanged();
    void roleChanged();
    void expandedChanged();
    // After any of the above.
    void changed();

private:
    void abandon();
    void setPhase(const Phase& phase);
    void setLastAction(const std::optional<RewriteAction>& action);
    void onOutcome(const RewriteTask::Outcome& outcome);

    const QString m_source;
    const QuillcraftClient m_client;
    const QString m_language;
    Phase m_phase;
    std::optional<RewriteAction> m_lastAction;
    RewriteAction::Mode m_mode = RewriteAction::Mode::rewrite;
    RewriteAction::Source m_toneSource = RewriteAction::Source::preset;
    QStringList m_presets;
    QStringList m_custom;
    QString m_role = QStringLiteral("Standard");
    bool m_expanded = false;
    // The last request; kept after it ends, replaced by the next run().
    std::unique_ptr<RewriteTask> m_task;
    // Counts abandonments: a callback whose request number is stale is ignored.
    quint64 m_request = 0;
};

} // namespace quillcraft
