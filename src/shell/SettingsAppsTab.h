#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

class QVBoxLayout;

namespace quillcraft {

class AppPolicy;
class InstalledApps;

// The settings' Apps tab: one switch per application that is off by default or
// that the user chose for, among those installed (a chosen one stays listed
// after it is uninstalled). Flipping a switch writes the choice to the policy.
class SettingsAppsTab final : public QWidget {
    Q_OBJECT

public:
    struct Row {
        QString id;
        QString name;
        // Why the application is off unless turned on; none when it is not built in as off.
        std::optional<QString> reason;
        bool on = true;

        bool operator==(const Row&) const = default;
    };

    // Both must outlive the tab.
    SettingsAppsTab(AppPolicy& policy, const InstalledApps& apps, QWidget* parent = nullptr);

    // The rows in order of name (plain, case-sensitive text order). Ids are the ones a
    // running copy reports, so a choice made here is the one the policy is asked about.
    static QList<Row> appRows(AppPolicy& policy, const InstalledApps& apps);
    // The rows shown now.
    const QList<Row>& rows() const { return m_rows; }
    // Recomputes the rows.
    void reload();

private:
    AppPolicy& m_policy;
    const InstalledApps& m_apps;
    QList<Row> m_rows;
    QVBoxLayout* m_list = nullptr;
};

} // namespace quillcraft
