#include "shell/StatusMenu.h"

#include "core/PlatformWording.h"
#include "settings/AppPolicy.h"
#include "shell/StatusLine.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <chrono>

namespace quillcraft {

namespace {

// A row whose action may be unset: an empty callback leaves the row inert.
QAction* addRow(QMenu& menu, const QString& title, std::function<void()> action)
{
    QAction* row = menu.addAction(title);
    if (action)
        QObject::connect(row, &QAction::triggered, row, [action = std::move(action)] { action(); });
    return row;
}

} // namespace

StatusMenu::StatusMenu(AppPolicy& policy, std::function<Snapshot()> snapshot, Actions actions, QObject* parent)
    : QObject(parent)
    , m_policy(policy)
    , m_snapshot(std::move(snapshot))
    , m_actions(std::move(actions))
    , m_menu(std::make_unique<QMenu>())
{
    // The tray does not own its menu; ours lives as long as this object.
    connect(m_menu.get(), &QMenu::aboutToShow, this, &StatusMenu::rebuild);
}

StatusMenu::~StatusMenu() = default;

void StatusMenu::rebuild()
{
    const Snapshot snapshot = m_snapshot ? m_snapshot() : Snapshot {};
    QMenu& menu = *m_menu;
    menu.clear();
    // clear() leaves submenus we created parented to the menu; drop them too.
    for (QMenu* child : menu.findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        child->deleteLater();

    const std::optional<QDateTime> pausedUntil
        = snapshot.status.kind == AssistantStatus::Kind::paused ? m_policy.pausedUntil() : std::nullopt;
    menu.addAction(StatusLine::text(snapshot.status, pausedUntil))->setEnabled(false);
    if (snapshot.status.kind == AssistantStatus::Kind::needsAccess)
        addRow(menu, QStringLiteral("Allow Accessibility access…"), m_actions.openOnboarding);
    menu.addSeparator();

    QAction* rewrite = addRow(menu, QStringLiteral("Rewrite highlighted text"), m_actions.rewrite);
    rewrite->setShortcut(QKeySequence(PlatformWording::rewriteShortcut()));
    QAction* suggestions = addRow(menu, QStringLiteral("Show suggestions"), m_actions.showSuggestions);
    suggestions->setEnabled(snapshot.canShowSuggestions);
    menu.addSeparator();

    // Per-app rows only for another application that we can name in the policy.
    if (snapshot.frontmost && !snapshot.frontmostIsOwn && !snapshot.frontmost->bundleID.isEmpty())
        addAppRows(*snapshot.frontmost);
    addPauseRows();
    menu.addSeparator();

    if (snapshot.accountEmail)
        menu.addAction(QStringLiteral("Signed in as ") + *snapshot.accountEmail)->setEnabled(false);
    else
        addRow(menu, QStringLiteral("Sign in for 40 rewrites a day…"), m_actions.signIn);
    QAction* settings = addRow(menu, QStringLiteral("Settings…"), m_actions.openSettings);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addUpdateRow(snapshot);
    QAction* quit = addRow(menu, QStringLiteral("Quit Quillcraft"), m_actions.quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void StatusMenu::addAppRows(const RunningApp& app)
{
    QMenu& menu = *m_menu;
    const QString id = app.bundleID;
    const QString name = app.name.isEmpty() ? QStringLiteral("this app") : app.name;

    const bool on = m_policy.isOn(id);
    QAction* toggle
        = addRow(menu, (on ? QStringLiteral("Turn off in ") : QStringLiteral("Turn on in ")) + name, [this, id] {
              m_policy.set(!m_policy.isOn(id), id);
              afterPolicyChange();
          });
    toggle->setData(id);

    const bool hidden = m_policy.badgeHidden(id);
    QAction* badge = addRow(
        menu, (hidden ? QStringLiteral("Show badge in ") : QStringLiteral("Hide badge in ")) + name, [this, id] {
            m_policy.setBadgeHidden(!m_policy.badgeHidden(id), id);
            afterPolicyChange();
        });
    badge->setData(id);

    auto* position = new QMenu(QStringLiteral("Badge position in ") + name, &menu);
    if (m_actions.fillBadgePositionMenu)
        m_actions.fillBadgePositionMenu(*position, id);
    menu.addMenu(position);

    QAction* reset = addRow(menu, QStringLiteral("Reset badge position in ") + name, [this, id] {
        if (m_actions.resetBadgePosition)
            m_actions.resetBadgePosition(id);
    });
    reset->setData(id);
}

void StatusMenu::addPauseRows()
{
    if (m_policy.isPaused()) {
        addRow(*m_menu, QStringLiteral("Resume checking"), [this] {
            m_policy.resume();
            afterPolicyChange();
        });
        return;
    }
    addRow(*m_menu, QStringLiteral("Pause for 1 hour"), [this] {
        m_policy.pause(std::chrono::hours(1));
        afterPolicyChange();
    });
    addRow(*m_menu, QStringLiteral("Pause until I resume"), [this] {
        m_policy.pause();
        afterPolicyChange();
    });
}

void StatusMenu::addUpdateRow(const Snapshot& snapshot)
{
    QString title = QStringLiteral("Check for Updates…");
    if (snapshot.updateReady)
        title = QStringLiteral("Update Ready…");
    else if (snapshot.updateAvailable)
        title = QStringLiteral("Update Available…");
    addRow(*m_menu, title, m_actions.checkForUpdates)->setEnabled(snapshot.canCheckForUpdates);
}

void StatusMenu::afterPolicyChange() const
{
    if (m_actions.policyChanged)
        m_actions.policyChanged();
}

} // namespace quillcraft
