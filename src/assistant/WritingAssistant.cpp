#include "assistant/WritingAssistant.h"

#include "assistant/BadgeController.h"
#include "assistant/IssuePresenter.h"
#include "assistant/RewriteController.h"
#include "assistant/StateFile.h"
#include "assistant/TextActions.h"
#include "assistant/writeback/EditApplier.h"
#include "assistant/writeback/WritePath.h"
#include "core/Clock.h"
#include "grammar/GrammarChecker.h"
#include "grammar/HarperChecker.h"
#include "grammar/IssueList.h"
#include "grammar/LintWindow.h"
#include "platform/Accessibility.h"
#include "platform/FrontmostApp.h"
#include "platform/Hotkey.h"
#include "platform/PointerMonitor.h"
#include "platform/Screens.h"
#include "platform/TrustCheck.h"
#include "settings/AppPolicy.h"
#include "surfaces/BadgePlacement.h"
#include "surfaces/FloatingPanel.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QPointer>

namespace quillcraft {

namespace {

constexpr int scrollSettleMs = 60;

const QString lostField = QStringLiteral("Quillcraft lost the text field. Click in it and try again.");

} // namespace

WritingAssistant::WritingAssistant(const AssistantServices& services, AppPolicy& policy, GrammarChecker& checker,
    const QuillcraftClient& client, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_policy(policy)
    , m_checker(checker)
    , m_client(client)
    , m_lintWork(services.clock, this)
    , m_scrollWork(services.clock, this)
    , m_applier(std::make_unique<EditApplier>(
          services.accessibility, services.apps, services.clipboard, services.keys, services.clock))
    , m_badge(std::make_unique<BadgeController>(services.screens, services.windows, services.hotkeys, policy))
    , m_presenter(std::make_unique<IssuePresenter>(services.screens, services.windows, services.clock))
    , m_rewrite(std::make_unique<RewriteController>(
          client, policy, *m_applier, services.apps, services.screens, services.windows, services.clock))
{
    m_applier->onNotice = [this](const QString& text) { notice(text); };
    // Ctrl+Z after a fix should give back the text before it.
    m_applier->prefersPaste = [](const FocusedField& field) { return accessibilityWriteBreaksUndo(field); };

    m_badge->onClick = [this] { toggleList(); };
    m_badge->onDragStarted = [this] {
        m_presenter->hideCard(false);
        m_presenter->closeList();
    };
    m_badge->freshField = [this]() -> std::optional<FocusedField> {
        if (!m_services.trust.isTrusted())
            return std::nullopt;
        std::optional<FocusedField> fresh = FocusedField::current(sources());
        if (fresh && fresh->pid() != m_services.apps.frontmostPid().value_or(-1))
            return std::nullopt;
        return fresh;
    };
    m_badge->onPolicyChanged = [this] { tick(); };
    m_badge->onNotice = [this](const QString& text) { notice(text); };

    IssuePresenter::Actions& actions = m_presenter->actions;
    actions.accept = [this](const TextIssue& issue, const Suggestion& suggestion) { accept(issue, suggestion); };
    actions.dismiss = [this](const TextIssue& issue) { dismiss(issue); };
    actions.addWord = [this](const TextIssue& issue) { addWord(issue); };
    actions.acceptAll = [this] { acceptAll(); };
    actions.rewriteAll = [this](const RewriteAction& action) { openRewriteForWholeField(action); };
    actions.rewriteSelection = [this] { openRewriteForSelection(); };
    actions.cardChanged = [this] { render(); };

    m_rewrite->onNotice = [this](const QString& text) { notice(text); };
    m_rewrite->onSignIn = [this] {
        if (onSignIn)
            onSignIn();
    };
    m_rewrite->onUpgrade = [this] {
        if (onUpgrade)
            onUpgrade();
    };
    m_rewrite->onWritten = [this](const FocusedField& field) { relint(field); };
}

WritingAssistant::~WritingAssistant() = default;

void WritingAssistant::setForcePaste(bool force)
{
    m_applier->setForcePaste(force);
}

bool WritingAssistant::isApplying() const
{
    return m_applier->isApplying() || m_rewrite->isReplacing();
}

FieldSources WritingAssistant::sources() const
{
    FieldSources sources;
    sources.accessibility = &m_services.accessibility;
    sources.screens = &m_services.screens;
    sources.apps = &m_services.apps;
    sources.ownPid = m_services.ownPid;
    sources.allowsOwnFields = m_policy.allowsOwnFields();
    return sources;
}

void WritingAssistant::start()
{
    if (m_started)
        return;
    m_started = true;
    m_services.accessibility.setMessagingTimeout(messagingTimeout);
    m_checker.start([self = QPointer(this)](bool ready) {
        if (!self)
            return;
        self->m_harperReady = ready;
        if (!ready)
            self->notice(QStringLiteral("Grammar checking could not start. Quit and reopen Quillcraft."));
        self->tick();
    });
    schedulePoll();
    if (PointerMonitor* pointer = m_services.pointer) {
        connect(pointer, &PointerMonitor::moved, this, &WritingAssistant::pointerMoved);
        connect(pointer, &PointerMonitor::leftPressed, this, &WritingAssistant::clickedElsewhere);
        // A scrolled field moves its words: look again soon rather than at the next poll.
        connect(pointer, &PointerMonitor::scrolled, this, [this] {
            if (!m_scrollWork.isPending())
                m_scrollWork.schedule(scrollSettleMs, [this] { tick(); });
        });
        pointer->start();
    }
}

void WritingAssistant::schedulePoll()
{
    m_services.clock.after(pollIntervalMs, this, [this] {
        tick();
        schedulePoll();
    });
}

void WritingAssistant::tick()
{
    const auto finish = qScopeGuard([this] { writeState(); });
    if (!m_services.trust.isTrusted()) {
        clearField();
        report(Status::needsAccess());
        return;
    }
    // The field is left exactly as it is while a rewrite is open.
    if (m_rewrite->isVisible())
        return;
    if (m_policy.isPaused()) {
        clearField();
        report(Status::paused());
        return;
    }

    const std::optional<qint64> frontmost = m_services.apps.frontmostPid();
    // An application that stopped answering costs one time-out, not one per call.
    if (frontmost && isUnresponsive(*frontmost)) {
        clearField();
        report(Status::idle());
        return;
    }
    // An application that hides its windows is asked again: it may only be starting.
    if (frontmost && (*frontmost != m_lastPid || m_accessibilityResult == AXError::apiDisabled)) {
        const std::optional<RunningApp> app = m_services.apps.application(*frontmost);
        const bool own = *frontmost == m_services.ownPid && !m_policy.allowsOwnFields();
        if (!own && m_policy.isOn(app ? app->bundleID : QString())) {
            m_lastPid = *frontmost;
            m_accessibilityResult = FocusedField::enableAccessibility(m_services.accessibility, *frontmost);
            if (const std::optional<QString> hint = m_hiddenContent.seen(*frontmost,
                    m_accessibilityResult == AXError::apiDisabled, m_services.clock.now(), app ? app->name : QString()))
                notice(*hint);
        }
    }

    QElapsedTimer reading;
    reading.start();
    std::optional<FocusedField> snapshot = FocusedField::current(sources());
    if (frontmost && reading.elapsed() >= slowCallMs)
        markUnresponsive(*frontmost);
    if (!snapshot) {
        // The user is working with one of our panels, which took the pointer but not the focus.
        const std::optional<QPointF> pointer
            = m_services.pointer ? m_services.pointer->position() : std::optional<QPointF>();
        if (!pointer || !isOverOwnPanels(*pointer))
            clearField();
        report(Status::idle());
        return;
    }
    if (!m_policy.isOn(snapshot->bundleID())) {
        clearField();
        report(Status::off(snapshot->appName()));
        return;
    }

    forgetOtherField(*snapshot);
    if (m_field)
        snapshot->shareTextWith(*m_field);
    if (const std::optional<BadgeController::Drag>& drag = m_badge->drag()) {
        QList<QRectF> screens;
        for (const ScreenGeometry& screen : m_services.screens.screens())
            screens.append(screen.visibleFrame);
        if (drag->field.editorFrame() != snapshot->editorFrame()
            || BadgePlacement::screenFor(snapshot->visibleFrame(), screens) != drag->screen)
            m_badge->cancelDrag();
    }
    m_field = snapshot;

    scheduleLint(*snapshot);
    render();
    report(Status::checking(snapshot->appName(), visibleIssues().size()));
}

bool WritingAssistant::isUnresponsive(qint64 pid) const
{
    return pid == m_unresponsivePid && m_services.clock.now() < m_unresponsiveUntil;
}

void WritingAssistant::markUnresponsive(qint64 pid)
{
    m_unresponsivePid = pid;
    m_unresponsiveUntil = m_services.clock.now() + unresponsiveBackOffMs;
}

void WritingAssistant::forgetOtherField(const FocusedField& snapshot)
{
    // Back in the field served last, its findings show again at once.
    if (snapshot.isSameField(m_field ? m_field : m_parked))
        return;
    m_badge->cancelDrag();
    m_issues.clear();
    m_linted.reset();
    m_requested.reset();
    m_observed.reset();
    m_badgeState.reset();
    m_lintWork.cancel();
    m_presenter->hideCard(false);
    m_presenter->closeList();
}

void WritingAssistant::scheduleLint(const FocusedField& snapshot)
{
    const qint64 now = m_services.clock.now();
    LintRequest request { snapshot.text(),
        lintWindow(snapshot.text(), snapshot.selection().location, HarperChecker::textLimit) };
    // An unchanged text is compared in full once; sharing the earlier copy makes the
    // comparisons below free (a field may hold a megabyte).
    if (m_observed && m_observed->text == request.text)
        request.text = m_observed->text;
    if (m_observed != request) {
        // A caret move alone does not restart the quiet period.
        if (!m_observed || m_observed->text != request.text)
            m_textChangedAt = now;
        m_observed = request;
        m_lintWork.cancel();
        m_requested.reset();
    }
    if (!m_policy.grammarOn() || !m_harperReady || m_linted == request || m_requested == request
        || m_lintWork.isPending())
        return;
    const qint64 delay = m_textChangedAt + quietPeriodMs - now;
    if (delay <= 0)
        requestLint(snapshot);
    else
        m_lintWork.schedule(int(delay), [this] { tick(); });
}

void WritingAssistant::requestLint(const FocusedField& snapshot)
{
    if (!snapshot.isSameField(m_field))
        return;
    m_lintWork.cancel();
    m_field = snapshot;
    const LintRequest request { snapshot.text(),
        lintWindow(snapshot.text(), snapshot.selection().location, HarperChecker::textLimit) };
    m_observed = request;
    m_requested = request;
    // Old underlines go when the checked part of the text moves; a change inside the
    // same window keeps them until the answer, hiding those that no longer fit.
    if (!m_linted || m_linted->window != request.window) {
        m_issues.clear();
        m_linted.reset();
    }
    ++m_lintCount;
    const QString part = request.text.mid(request.window.location, request.window.length);
    m_checker.lint(part, [self = QPointer(this), request, snapshot](const QList<TextIssue>& answer) {
        if (!self || self->m_requested != request || !snapshot.isSameField(self->m_field))
            return;
        self->m_requested.reset();
        self->m_linted = request;
        self->m_issues.clear();
        for (const TextIssue& issue : answer)
            self->m_issues.append(issue.shifted(request.window.location));
        self->render();
        // The underlines are on screen now, not at the next poll.
        self->writeState();
    });
}

void WritingAssistant::relint(const std::optional<FocusedField>& field)
{
    m_linted.reset();
    if (!field)
        return;
    if (const std::optional<FocusedField> fresh = field->refreshed(); fresh && m_harperReady)
        requestLint(*fresh);
}

QList<TextIssue> WritingAssistant::visibleIssues() const
{
    if (!m_field || !m_policy.grammarOn())
        return {};
    QList<TextIssue> aligned;
    for (const TextIssue& issue : m_issues) {
        if (issue.isAligned(m_field->text()))
            aligned.append(issue);
    }
    const QStringList words = m_policy.dictionary();
    return quillcraft::visibleIssues(aligned, m_dismissed, QSet<QString>(words.begin(), words.end()));
}

void WritingAssistant::hideFieldUI()
{
    m_presenter->hideCard(false);
    m_presenter->closeList();
    m_presenter->hideUnderlines();
    m_presenter->hideSelectionButton();
    m_badge->hide();
    m_observed.reset();
    m_requested.reset();
    m_badgeState.reset();
    m_lintWork.cancel();
}

void WritingAssistant::clearField()
{
    hideFieldUI();
    if (m_field)
        m_parked = std::exchange(m_field, std::nullopt);
}

void WritingAssistant::report(const Status& status)
{
    if (m_lastStatus == status)
        return;
    m_lastStatus = status;
    if (onStatus)
        onStatus(status);
}

void WritingAssistant::notice(const QString& text)
{
    m_lastNotice = text;
    if (onNotice)
        onNotice(text);
}

void WritingAssistant::render()
{
    if (!m_field) {
        hideFieldUI();
        return;
    }
    const QList<TextIssue> visible = visibleIssues();
    if (!m_presenter->drawUnderlines(*m_field, visible, slowCallMs)) {
        markUnresponsive(m_field->pid());
        clearField();
        return;
    }
    renderBadge(visible);
    m_presenter->renderSelectionButton(*m_field);
    m_presenter->refreshList(false, *m_field, visible, m_badge->badgeFrame(*m_field));
}

void WritingAssistant::renderBadge(const QList<TextIssue>& visible)
{
    if (!m_policy.grammarOn() || m_policy.badgeHidden(m_field->bundleID())) {
        m_badge->hide();
        return;
    }
    if (m_badge->isTracking())
        return;
    const LintRequest current { m_field->text(),
        lintWindow(m_field->text(), m_field->selection().location, HarperChecker::textLimit) };
    FieldBadge::State state = m_badgeState.value_or(FieldBadge::State(FieldBadge::Checking {}));
    if (m_harperReady && m_linted == current) {
        if (visible.isEmpty()) {
            state = FieldBadge::Clean {};
        } else {
            const bool styleOnly
                = std::all_of(visible.begin(), visible.end(), [](const TextIssue& i) { return i.isStyleSuggestion(); });
            state = FieldBadge::Issues { visible.size(), styleOnly };
        }
    }
    m_badgeState = state;
    m_badge->show(*m_field, state);
}

bool WritingAssistant::canShowSuggestions()
{
    return m_field && m_policy.grammarOn() && m_policy.checks(m_field->bundleID()) && !m_rewrite->isVisible();
}

void WritingAssistant::showSuggestions()
{
    tick();
    if (!canShowSuggestions())
        return;
    m_presenter->hideCard(false);
    m_presenter->refreshList(true, *m_field, visibleIssues(), m_badge->badgeFrame(*m_field));
    m_presenter->list().orderFront();
    render();
}

void WritingAssistant::toggleList()
{
    if (m_presenter->list().isVisible()) {
        m_presenter->closeList();
        return;
    }
    showSuggestions();
}

bool WritingAssistant::isOverOwnPanels(QPointF point) const
{
    return m_presenter->isOverPanels(point) || (m_badge->isVisible() && m_badge->frame().contains(point))
        || (m_rewrite->isVisible() && m_rewrite->frame().contains(point));
}

void WritingAssistant::pointerMoved(QPointF point)
{
    if (m_badge->drag())
        return;
    m_presenter->pointerMoved(point);
}

void WritingAssistant::clickedElsewhere(QPointF point)
{
    // Presses on our own panels are theirs to handle.
    if (isOverOwnPanels(point))
        return;
    if (const std::optional<IssuePresenter::Mark> mark = m_presenter->markAt(point)) {
        m_presenter->showCard(mark->issue, mark->rect);
        return;
    }
    m_presenter->hideCard();
    m_presenter->closeList();
    if (m_rewrite->isVisible())
        m_rewrite->close(false);
}

std::optional<FocusedField> WritingAssistant::freshField()
{
    std::optional<FocusedField> fresh = m_field ? m_field->refreshed() : std::nullopt;
    if (!fresh)
        notice(lostField);
    return fresh;
}

void WritingAssistant::accept(const TextIssue& issue, const Suggestion& suggestion)
{
    m_presenter->hideCard();
    if (isApplying())
        return;
    const std::optional<FocusedField> fresh = freshField();
    if (!fresh)
        return;
    if (!issue.isAligned(fresh->text())) {
        notice(QStringLiteral("The text changed, so that fix was skipped."));
        relint(fresh);
        return;
    }
    m_applier->apply(issue.edit(suggestion), *fresh, [this, field = *fresh](bool) { relint(field); });
}

void WritingAssistant::acceptAll()
{
    if (isApplying())
        return;
    const std::optional<FocusedField> fresh = freshField();
    if (!fresh)
        return;
    m_presenter->closeList();
    const QList<TextEdit> edits = acceptAllEdits(visibleIssues(), fresh->text());
    if (edits.isEmpty()) {
        notice(QStringLiteral("The text changed, so no fixes were applied."));
        relint(fresh);
        return;
    }
    m_applier->applyInOrder(edits, *fresh, [this, field = *fresh](bool) { relint(field); });
}

void WritingAssistant::dismiss(const TextIssue& issue)
{
    m_dismissed.insert(issue.dismissKey());
    m_presenter->hideCard(false);
    render();
}

void WritingAssistant::addWord(const TextIssue& issue)
{
    m_policy.addToDictionary(issue.problemText);
    m_presenter->hideCard(false);
    render();
}

void WritingAssistant::openRewriteForSelection()
{
    const std::optional<FocusedField> fresh = freshField();
    if (!fresh)
        return;
    const std::optional<QString> selected = fresh->selectedText();
    if (!selected || !TextActions::showsIcon(*selected)) {
        notice(QStringLiteral("Highlight some text first."));
        return;
    }
    m_field = fresh;
    openRewrite(*fresh, fresh->selection(), std::nullopt);
}

void WritingAssistant::openRewriteForWholeField(const std::optional<RewriteAction>& running)
{
    m_presenter->closeList();
    const std::optional<FocusedField> fresh = freshField();
    if (!fresh)
        return;
    if (fresh->text().trimmed().isEmpty()) {
        notice(QStringLiteral("There is no text in this field yet."));
        return;
    }
    openRewrite(*fresh, TextRange { 0, fresh->text().size() }, running);
}

void WritingAssistant::openRewrite(
    const FocusedField& field, TextRange range, const std::optional<RewriteAction>& running)
{
    m_presenter->hideCard(false);
    m_presenter->hideSelectionButton();
    m_rewrite->open(field, range, running);
    writeState();
}

void WritingAssistant::openFromShortcut()
{
    if (!m_services.trust.isTrusted()) {
        notice(QStringLiteral("Allow Accessibility access first."));
        return;
    }
    if (m_rewrite->isVisible()) {
        m_rewrite->close(true);
        return;
    }
    std::optional<FocusedField> snapshot = FocusedField::current(sources());
    if (!snapshot)
        snapshot = m_field;
    if (!snapshot) {
        notice(QStringLiteral("Click into a text field, highlight some text, then press %1.").arg(Hotkey::display()));
        return;
    }
    forgetOtherField(*snapshot);
    if (m_field)
        snapshot->shareTextWith(*m_field);
    m_field = snapshot;
    const std::optional<QString> selected = snapshot->selectedText();
    if (selected && TextActions::showsIcon(*selected))
        openRewrite(*snapshot, snapshot->selection(), std::nullopt);
    else if (!visibleIssues().isEmpty())
        toggleList();
    else
        openRewriteForWholeField(std::nullopt);
}

QJsonObject WritingAssistant::state() const
{
    QJsonObject state;
    state.insert(QStringLiteral("status"), m_lastStatus ? m_lastStatus->text() : QString());
    state.insert(QStringLiteral("app"), m_field ? m_field->appName() : QString());
    state.insert(QStringLiteral("selection"), m_field ? m_field->selectedText().value_or(QString()) : QString());
    state.insert(QStringLiteral("fixes"), StateFile::problemTexts(visibleIssues()));
    QJsonArray marks;
    for (const IssuePresenter::Mark& mark : m_presenter->marks())
        marks.append(StateFile::mark(mark.rect));
    state.insert(QStringLiteral("marks"), marks);
    state.insert(
        QStringLiteral("badge"), m_badge->isVisible() ? StateFile::badgeText(m_badgeState) : QStringLiteral("hidden"));
    state.insert(QStringLiteral("badgeFrame"), StateFile::frame(m_badge->frame()));
    QJsonArray fieldFrame;
    QString corner;
    QJsonArray position;
    if (m_field) {
        const QString app = m_field->bundleID();
        const std::optional<BadgePosition> saved = m_policy.badgePosition(app);
        fieldFrame = StateFile::frame(saved ? m_field->editorFrame() : m_field->visibleFrame());
        corner = rawValue(m_policy.badgeCorner(app));
        if (saved)
            position = StateFile::point(saved->toPoint());
    }
    state.insert(QStringLiteral("fieldFrame"), fieldFrame);
    state.insert(QStringLiteral("badgeCorner"), corner);
    state.insert(QStringLiteral("badgePosition"), position);
    state.insert(QStringLiteral("badgeDragging"), m_badge->drag().has_value());
    state.insert(QStringLiteral("lintCount"), m_lintCount);
    const bool listShown = m_presenter->list().isVisible();
    state.insert(QStringLiteral("card"), m_presenter->card().isVisible());
    state.insert(QStringLiteral("list"), listShown);
    state.insert(
        QStringLiteral("listFrame"), listShown ? StateFile::frame(m_presenter->list().cardFrame()) : QJsonArray());
    state.insert(
        QStringLiteral("listed"), listShown ? StateFile::problemTexts(m_presenter->listedIssues()) : QJsonArray());
    state.insert(QStringLiteral("notice"), m_lastNotice.value_or(QString()));
    state.insert(QStringLiteral("selectionButton"), m_presenter->selectionButton().isVisible());
    state.insert(QStringLiteral("rewrite"), m_rewrite->isVisible());
    state.insert(QStringLiteral("rewritePhase"), m_rewrite->phaseName());
    QString frontmost;
    if (const std::optional<qint64> pid = m_services.apps.frontmostPid(); pid && !isUnresponsive(*pid)) {
        if (const std::optional<RunningApp> app = m_services.apps.application(*pid))
            frontmost = app->bundleID;
    }
    state.insert(QStringLiteral("frontmost"), frontmost);
    state.insert(QStringLiteral("accessibilityPid"), m_lastPid);
    state.insert(QStringLiteral("accessibilityResult"), StateFile::errorCode(m_accessibilityResult));
    return state;
}

void WritingAssistant::writeState() const
{
    if (m_stateFile)
        StateFile::write(*m_stateFile, state());
}

} // namespace quillcraft
