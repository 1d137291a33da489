#pragma once

#include "assistant/AssistantServices.h"
#include "assistant/AssistantStatus.h"
#include "assistant/FocusedField.h"
#include "assistant/HiddenContentHint.h"
#include "assistant/PendingWork.h"
#include "core/TextRange.h"
#include "grammar/TextIssue.h"
#include "platform/AccessibilityElement.h"
#include "service/QuillcraftClient.h"
#include "service/RewriteAction.h"
#include "views/FieldBadge.h"

#include <QObject>
#include <QPointF>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QJsonObject;

namespace quillcraft {

class AppPolicy;
class BadgeController;
class EditApplier;
class GrammarChecker;
class IssuePresenter;
class RewriteController;

// Check as you type in other applications: four times a second it reads the
// focused field, checks a window of its text once the text has been still for a
// moment, keeps the answers that still fit, and shows them as underlines, a badge,
// a suggestion card and the issues list; it writes chosen fixes and rewrites back.
// GUI thread only; every timer runs on the services' clock.
class WritingAssistant final : public QObject {
    Q_OBJECT

public:
    using Status = AssistantStatus;

    // The text and the part of it that was (or is to be) checked.
    struct LintRequest final {
        QString text;
        TextRange window;
        bool operator==(const LintRequest&) const = default;
    };

    static constexpr int pollIntervalMs = 250;
    static constexpr int quietPeriodMs = 300;
    static constexpr std::chrono::milliseconds messagingTimeout { 500 };
    // A read this slow ran into the time-out: the application is frozen or gone,
    // and is left alone for a while rather than costing a time-out per call.
    static constexpr int slowCallMs = 480;
    static constexpr int unresponsiveBackOffMs = 1500;

    WritingAssistant(const AssistantServices& services, AppPolicy& policy, GrammarChecker& checker,
        const QuillcraftClient& client, QObject* parent = nullptr);
    ~WritingAssistant() override;

    std::function<void(const Status&)> onStatus;
    std::function<void()> onSignIn;
    std::function<void(const QString&)> onNotice;
    // Opens the service's pricing page (the rewrite card's upgrade row).
    std::function<void()> onUpgrade;

    // Where a snapshot of what the assistant shows is written after every tick; none by default.
    void setStateFile(const QString& path) { m_stateFile = path; }
    // Fixes and rewrites always go through the clipboard and a paste.
    void setForcePaste(bool force);

    // Starts the checker, the poll and the pointer monitors. Once.
    void start();
    // One polling step.
    void tick();

    // Drawing.
    void render();
    bool canShowSuggestions();
    void showSuggestions();
    void toggleList();
    void pointerMoved(QPointF point);
    void clickedElsewhere(QPointF point);

    // Writing back.
    void accept(const TextIssue& issue, const Suggestion& suggestion);
    void acceptAll();
    void openFromShortcut();
    void openRewriteForSelection();
    void openRewriteForWholeField(const std::optional<RewriteAction>& running = std::nullopt);

    // The issues that still fit the served field's text, minus dismissed ones and
    // dictionary words, in checker order.
    QList<TextIssue> visibleIssues() const;

    // What the state file holds.
    QJsonObject state() const;

    const std::optional<FocusedField>& field() const { return m_field; }
    const QList<TextIssue>& issues() const { return m_issues; }
    const std::optional<LintRequest>& linted() const { return m_linted; }
    const std::optional<LintRequest>& requested() const { return m_requested; }
    const std::optional<FieldBadge::State>& badgeState() const { return m_badgeState; }
    const QSet<QString>& dismissed() const { return m_dismissed; }
    bool harperReady() const { return m_harperReady; }
    qint64 lintCount() const { return m_lintCount; }
    const std::optional<Status>& lastStatus() const { return m_lastStatus; }
    const std::optional<QString>& lastNotice() const { return m_lastNotice; }
    bool isApplying() const;

    IssuePresenter& presenter() { return *m_presenter; }
    BadgeController& badge() { return *m_badge; }
    RewriteController& rewrite() { return *m_rewrite; }

private:
    void schedulePoll();
    bool isUnresponsive(qint64 pid) const;
    void markUnresponsive(qint64 pid);
    // A snapshot of another element than the one served: its findings and panels go.
    void forgetOtherField(const FocusedField& snapshot);
    void scheduleLint(const FocusedField& snapshot);
    void requestLint(const FocusedField& snapshot);
    void relint(const std::optional<FocusedField>& field);
    void hideFieldUI();
    void clearField();
    void report(const Status& status);
    void notice(const QString& text);
    void renderBadge(const QList<TextIssue>& visible);
    void dismiss(const TextIssue& issue);
    void addWord(const TextIssue& issue);
    void openRewrite(const FocusedField& field, TextRange range, const std::optional<RewriteAction>& running);
    // The served field read afresh, or the lost-field notice and nothing.
    std::optional<FocusedField> freshField();
    FieldSources sources() const;
    bool isOverOwnPanels(QPointF point) const;
    void writeState() const;

    AssistantServices m_services;
    AppPolicy& m_policy;
    GrammarChecker& m_checker;
    const QuillcraftClient m_client;
    std::optional<QString> m_stateFile;

    bool m_started = false;
    bool m_harperReady = false;
    std::optional<FocusedField> m_field;
    // The field served last while none is: its issues wait for the user's return.
    std::optional<FocusedField> m_parked;
    QList<TextIssue> m_issues;
    std::optional<LintRequest> m_linted;
    std::optional<LintRequest> m_requested;
    std::optional<LintRequest> m_observed;
    qint64 m_textChangedAt = 0;
    PendingWork m_lintWork;
    PendingWork m_scrollWork;
    qint64 m_lintCount = 0;
    QSet<QString> m_dismissed;
    qint64 m_lastPid = 0;
    qint64 m_unresponsivePid = 0;
    qint64 m_unresponsiveUntil = 0;
    AXError m_accessibilityResult = AXError::success;
    HiddenContentHint m_hiddenContent;
    std::optional<FieldBadge::State> m_badgeState;
    std::optional<Status> m_lastStatus;
    std::optional<QString> m_lastNotice;

    std::unique_ptr<EditApplier> m_applier;
    std::unique_ptr<BadgeController> m_badge;
    std::unique_ptr<IssuePresenter> m_presenter;
    std::unique_ptr<RewriteController> m_rewrite;
};

} // namespace quillcraft
