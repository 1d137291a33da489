#pragma once

#include "assistant/AssistantStatus.h"
#include "platform/RunningApp.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace quillcraft {

class AppPolicy;

// The status-area icon's menu. Its rows depend on the frontmost application, the
// assistant, the account and the updater, so it is filled from scratch each
// time it is about to open rather than kept in step with all of them.
class StatusMenu final : public QObject {
    Q_OBJECT

public:
    // What the rows are built from, read when the menu opens.
    struct Snapshot final {
        AssistantStatus status = AssistantStatus::idle();
        // The active window's application; none when no window is active.
        std::optional<RunningApp> frontmost;
        // The frontmost application is this program (its own windows).
        bool frontmostIsOwn = false;
        // The assistant can show suggestions for a field of the frontmost application.
        bool canShowSuggestions = false;
        // The signed-in account's e-mail; none for a guest.
        std::optional<QString> accountEmail;
        bool updateReady = false;
        bool updateAvailable = false;
        bool canCheckForUpdates = false;
    };

    // What the rows do. Any may be empty (the row then does nothing).
    struct Actions final {
        std::function<void()> rewrite = {};
        std::function<void()> showSuggestions = {};
        std::function<void()> openOnboarding = {};
        // After a per-app switch or a pause changed the policy.
        std::function<void()> policyChanged = {};
        // Fills the "Badge position in …" submenu for an application id.
        std::function<void(QMenu&, const QString&)> fillBadgePositionMenu = {};
        std::function<void(const QString&)> resetBadgePosition = {};
        std::function<void()> signIn = {};
        std::function<void()> openSettings = {};
        std::function<void()> checkForUpdates = {};
        std::function<void()> quit = {};
    };

    StatusMenu(AppPolicy& policy, std::function<Snapshot()> snapshot, Actions actions, QObject* parent = nullptr);
    ~StatusMenu() override;

    // The menu for the tray icon; rebuilt on every aboutToShow.
    QMenu& menu() const { return *m_menu; }
    // Clears the menu and adds every row for the current snapshot.
    void rebuild();

private:
    void addAppRows(const RunningApp& app);
    void addPauseRows();
    void addUpdateRow(const Snapshot& snapshot);
    void afterPolicyChange() const;

    AppPolicy& m_policy;
    std::function<Snapshot()> m_snapshot;
    Actions m_actions;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace quillcraft
