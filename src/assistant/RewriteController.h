#pragma once

#include "assistant/FocusedField.h"
#include "assistant/PendingWork.h"
#include "core/TextRange.h"
#include "rewrite/RewriteSession.h"
#include "service/QuillcraftClient.h"
#include "service/RewriteAction.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillcraft {

class AppPolicy;
class Clock;
class EditApplier;
class FloatingPanel;
class FloatingWindows;
class FrontmostApp;
class Screens;

// The rewrite card over another application's field: opens it for a range of the
// field's text, runs its session, and on Replace writes back only the part that
// changed, after the card has closed and the field has its keyboard back.
class RewriteController final : public QObject {
    Q_OBJECT

public:
    // Where an open rewrite will be written: the field when the card opened, the
    // range and the text it held then.
    struct Target final {
        FocusedField field;
        TextRange range;
        QString source;
    };

    // How long the field's application gets to take the keyboard back before Replace writes.
    static constexpr int replaceDelayMs = 120;
    // Refits of the card to its growing text are at most this often.
    static constexpr int refitIntervalMs = 16;

    RewriteController(const QuillcraftClient& client, AppPolicy& policy, EditApplier& applier, FrontmostApp& apps,
        const Screens& screens, FloatingWindows* windows, Clock& clock, QObject* parent = nullptr);
    ~RewriteController() override;

    std::function<void(const QString&)> onNotice;
    std::function<void()> onSignIn;
    // Opens the service's pricing page.
    std::function<void()> onUpgrade;
    // A write ended (success or not): the owner checks the field again.
    std::function<void(const FocusedField&)> onWritten;

    void open(const FocusedField& field, TextRange range, const std::optional<RewriteAction>& running = std::nullopt);
    void close(bool returnFocus);
    void replace(const QString& text);
    // Replace is waiting for the field to take the keyboard back.
    bool isReplacing() const { return m_replacing; }

    bool isVisible() const;
    QRectF frame() const;
    // "running", "done", "failed", "choosing", or "none" without an open rewrite.
    QString phaseName() const;
    const std::optional<Target>& target() const { return m_target; }
    RewriteSession* session() const { return m_session; }
    FloatingPanel& panel() { return *m_panel; }

private:
    void copy(const QString& text);
    void writeBack(const Target& target, const QString& text);

    const QuillcraftClient m_client;
    AppPolicy& m_policy;
    EditApplier& m_applier;
    FrontmostApp& m_apps;
    Clock& m_clock;
    std::unique_ptr<FloatingPanel> m_panel;
    // Owned by the card's surface, so it goes only after the card that shows it.
    QPointer<RewriteSession> m_session;
    std::optional<Target> m_target;
    PendingWork m_refit;
    bool m_replacing = false;
};

} // namespace quillcraft
