#include "SettingsPreviews.h"

#include "core/DevelopmentHooks.h"
#include "core/SystemClock.h"
#include "platform/InstalledApps.h"
#include "platform/LoginItem.h"
#include "service/AccountStore.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "settings/LoginItemStore.h"
#include "shell/SettingsGeneralTab.h"
#include "shell/SettingsView.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace quillcraft::SettingsPreviews {

namespace {

class SampleLoginItem final : public LoginItem {
public:
    Status status() const override { return m_status; }
    bool setRegistered(bool on) override
    {
        if (refuses)
            return false;
        m_status = on ? Status::enabled : Status::notRegistered;
        return true;
    }

    bool refuses = false;

private:
    Status m_status = Status::enabled;
};

// A desktop with a few of the built-in off applications and two of the user's own.
class SampleApps final : public InstalledApps {
public:
    std::optional<App> find(const QString& appId) const override
    {
        static const QHash<QString, QString> names {
            { QStringLiteral("google-chrome"), QStringLiteral("Google Chrome") },
            { QStringLiteral("org.gnome.Terminal"), QStringLiteral("Terminal") },
            { QStringLiteral("code"), QStringLiteral("Visual Studio Code") },
            { QStringLiteral("org.keepassxc.KeePassXC"), QStringLiteral("KeePassXC") },
            { QStringLiteral("org.gnome.TextEditor"), QStringLiteral("Text Editor") },
        };
        const auto it = names.find(appId);
        if (it == names.end())
            return std::nullopt;
        return App { it.key(), it.value() };
    }
};

enum class Sample { general, generalFull, apps, dictionary, emptyDictionary, account };

// The view over stores of its own. Members go before the view (a child), which
// only watches them.
class SettingsPreview final : public QWidget {
public:
    explicit SettingsPreview(Sample sample)
        : m_store(m_folder.filePath(QStringLiteral("defaults.json")))
        , m_policy(m_store)
        , m_loginItems(m_loginItem)
        , m_account(AccountEndpoints(&m_network, DevelopmentHooks::origin(), nullptr), m_clock,
              [](const QUrl&) { return true; })
        // A feed that is never read: the preview shows an updater that could check.
        , m_updater(
              QUrl(QStringLiteral("https://updates.invalid/appcast.xml")), QStringLiteral("1.4.0"), m_store, m_clock,
              [](const QUrl&) {}, nullptr, [](const QUrl&, auto) {})
    {
        m_policy.setLanguage(QStringLiteral("English (UK)"));
        m_policy.set(true, QStringLiteral("org.gnome.TextEditor"));
        m_policy.set(false, QStringLiteral("org.mozilla.Thunderbird"));
        m_policy.set(true, QStringLiteral("code"));
        if (sample != Sample::emptyDictionary) {
            for (const char* word : { "quillcraft", "harper", "kubernetes", "okr", "ndas" })
                m_policy.addToDictionary(QString::fromLatin1(word));
        }
        if (sample == Sample::account)
            m_account.showSample(
                { .account = Account { QStringLiteral("ada.lovelace@example.com"), QStringLiteral("Ada") } });

        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        if (sample == Sample::generalFull) {
            // The whole tab, unscrolled, after the desktop refused to stop opening at login.
            m_loginItem.refuses = true;
            m_loginItems.setEnabled(false);
            auto* tab = new SettingsGeneralTab(m_policy, m_loginItems, m_updater, this);
            tab->setAutoFillBackground(true);
            tab->setFixedWidth(SettingsView::contentWidth);
            layout->addWidget(tab);
            return;
        }
        auto* view = new SettingsView(
            SettingsView::Parts { m_account, m_policy, m_loginItems, m_updater, m_apps }, [] {}, this);
        layout->addWidget(view);
        view->setTab(tabOf(sample));
    }

private:
    static SettingsView::Tab tabOf(Sample sample)
    {
        switch (sample) {
        case Sample::general:
        case Sample::generalFull:
            return SettingsView::Tab::general;
        case Sample::apps:
            return SettingsView::Tab::apps;
        case Sample::dictionary:
        case Sample::emptyDictionary:
            return SettingsView::Tab::dictionary;
        case Sample::account:
            return SettingsView::Tab::account;
        }
        return SettingsView::Tab::general;
    }

    QTemporaryDir m_folder;
    DefaultsStore m_store;
    AppPolicy m_policy;
    SampleLoginItem m_loginItem;
    LoginItemStore m_loginItems;
    SampleApps m_apps;
    SystemClock m_clock;
    QNetworkAccessManager m_network;
    AccountStore m_account;
    Updater m_updater;
};

} // namespace

std::unique_ptr<QWidget> general()
{
    return std::make_unique<SettingsPreview>(Sample::general);
}

std::unique_ptr<QWidget> generalFull()
{
    return std::make_unique<SettingsPreview>(Sample::generalFull);
}

std::unique_ptr<QWidget> apps()
{
    return std::make_unique<SettingsPreview>(Sample::apps);
}

std::unique_ptr<QWidget> dictionary()
{
    return std::make_unique<SettingsPreview>(Sample::dictionary);
}

std::unique_ptr<QWidget> emptyDictionary()
{
    return std::make_unique<SettingsPreview>(Sample::emptyDictionary);
}

std::unique_ptr<QWidget> account()
{
    return std::make_unique<SettingsPreview>(Sample::account);
}

} // namespace quillcraft::SettingsPreviews
