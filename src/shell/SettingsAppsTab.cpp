#include "SettingsAppsTab.h"

#include "platform/InstalledApps.h"
#include "settings/AppPolicy.h"
#include "shell/SettingsLayout.h"
#include "views/SectionCaption.h"
#include "views/ToggleSwitch.h"

#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

namespace quillcraft {

SettingsAppsTab::SettingsAppsTab(AppPolicy& policy, const InstalledApps& apps, QWidget* parent)
    : QWidget(parent)
    , m_policy(policy)
    , m_apps(apps)
{
    auto* layout = SettingsLayout::column(this);
    layout->addWidget(SettingsLayout::heading(QStringLiteral("Choose where Quillcraft works."),
        QStringLiteral("Use the Quillcraft menu in any app to turn checking on or off there."), this));
    auto* caption = new SectionCaption(QStringLiteral("App preferences"), this);
    caption->setObjectName(QStringLiteral("appsCaption"));
    layout->addWidget(caption);
    m_list = new QVBoxLayout;
    m_list->setSpacing(2);
    layout->addLayout(m_list);
    layout->addStretch();
    reload();
}

QList<SettingsAppsTab::Row> SettingsAppsTab::appRows(AppPolicy& policy, const InstalledApps& apps)
{
    const QMap<QString, bool> choices = policy.appChoices();
    QStringList ids = AppPolicy::offByDefault().keys();
    ids += choices.keys();

    QList<Row> rows;
    QSet<QString> listed;
    for (const QString& id : std::as_const(ids)) {
        const std::optional<InstalledApps::App> app = apps.find(id);
        const bool chosen = choices.contains(id);
        if (!app && !chosen)
            continue;
        // A stored choice keeps its own id; a built-in row takes the installed one's
        // (the table and the desktop may spell it in different case).
        const QString rowId = chosen || !app ? id : app->id;
        if (listed.contains(rowId))
            continue;
        listed.insert(rowId);
        rows.append(Row { rowId, app ? app->name : rowId, AppPolicy::offByDefaultReason(rowId), policy.isOn(rowId) });
    }
    std::stable_sort(rows.begin(), rows.end(),
        [](const Row& a, const Row& b) { return a.name != b.name ? a.name < b.name : a.id < b.id; });
    return rows;
}

void SettingsAppsTab::reload()
{
    m_rows = appRows(m_policy, m_apps);
    SettingsLayout::clear(m_list);
    for (const Row& row : std::as_const(m_rows)) {
        auto* control = new ToggleSwitch(row.name);
        control->setObjectName(QStringLiteral("appSwitch:") + row.id);
        control->setChecked(row.on);
        const QString id = row.id;
        connect(control, &QAbstractButton::toggled, this, [this, id](bool on) {
            m_policy.set(on, id);
            for (Row& shown : m_rows) {
                if (shown.id == id)
                    shown.on = on;
            }
        });
        m_list->addWidget(SettingsLayout::row(
            row.name, row.reason.value_or(QString()), control, QStringLiteral("app:") + row.id, this));
    }
}

} // namespace quillcraft
