#include "SettingsGeneralTab.h"

#include "core/PlatformWording.h"
#include "platform/Hotkey.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "settings/LoginItemStore.h"
#include "shell/SettingsLayout.h"
#include "views/KeyCap.h"
#include "views/PopUpPicker.h"
#include "views/QuietButton.h"
#include "views/SectionCaption.h"
#include "views/Theme.h"
#include "views/ToggleSwitch.h"
#include "views/WrappedText.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quillcraft {

namespace {

QWidget* section(const QString& caption, const QString& name, QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setObjectName(name);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(6);
    auto* title = new SectionCaption(caption, box);
    title->setObjectName(name + QStringLiteral("Caption"));
    layout->addWidget(title);
    return box;
}

ToggleSwitch* toggle(const QString& title, const char* name)
{
    auto* control = new ToggleSwitch(title);
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace

SettingsGeneralTab::SettingsGeneralTab(AppPolicy& policy, LoginItemStore& loginItem, Updater& updater, QWidget* parent)
    : QWidget(parent)
    , m_policy(policy)
    , m_loginItem(loginItem)
    , m_updater(updater)
{
    auto* layout = SettingsLayout::column(this);
    layout->addWidget(SettingsLayout::heading(
        QStringLiteral("Writing preferences"), QStringLiteral("Choose how Quillcraft helps while you write."), this));
    layout->addWidget(writingSection());
    layout->addWidget(startupSection());
    layout->addWidget(updatesSection());
    layout->addStretch();

    connect(&m_loginItem, &LoginItemStore::changed, this, &SettingsGeneralTab::syncLogin);
    connect(&m_updater, &Updater::changed, this, &SettingsGeneralTab::syncUpdates);
    reload();
    syncLogin();
    syncUpdates();
}

const QStringList& SettingsGeneralTab::languages()
{
    static const QStringList list {
        QStringLiteral("English"),
        QStringLiteral("English (UK)"),
        QStringLiteral("English (CA)"),
        QStringLiteral("English (AU)"),
        QStringLiteral("Bengali"),
        QStringLiteral("Chinese"),
        QStringLiteral("French"),
        QStringLiteral("German"),
        QStringLiteral("Hindi"),
        QStringLiteral("Italian"),
        QStringLiteral("Japanese"),
        QStringLiteral("Korean"),
        QStringLiteral("Polish"),
        QStringLiteral("Portuguese (Brazil)"),
        QStringLiteral("Portuguese (Portugal)"),
        QStringLiteral("Russian"),
        QStringLiteral("Spanish"),
        QStringLiteral("Tamil"),
        QStringLiteral("Telugu"),
        QStringLiteral("Turkish"),
        QStringLiteral("Ukrainian"),
        QStringLiteral("Urdu"),
        QStringLiteral("Vietnamese"),
    };
    return list;
}

QString SettingsGeneralTab::updatesNote(bool enabled)
{
    // Nothing here downloads or installs an update, so the note promises neither.
    return enabled ? QStringLiteral("Quillcraft tells you when a newer version is out and opens its page; it never "
                                    "installs anything by itself.")
                   : QStringLiteral("Update checks are off because this build has no update feed.");
}

QWidget* SettingsGeneralTab::writingSection()
{
    QWidget* box = section(QStringLiteral("Writing"), QStringLiteral("writing"), this);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());

    m_grammar = toggle(QStringLiteral("Check grammar as I type"), "grammarSwitch");
    connect(m_grammar, &QAbstractButton::toggled, this, [this](bool on) { m_policy.setGrammarOn(on); });
    layout->addWidget(SettingsLayout::row(QStringLiteral("Check grammar as I type"),
        PlatformWording::apply(QStringLiteral("Checks English text on this Mac.")), m_grammar,
        QStringLiteral("grammar"), box));

    m_language = new PopUpPicker(languages(), QStringLiteral("Rewrite language"));
    m_language->setObjectName(QStringLiteral("languagePicker"));
    connect(m_language, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty())
            m_policy.setLanguage(text);
    });
    layout->addWidget(
        SettingsLayout::row(QStringLiteral("Rewrite language"), {}, m_language, QStringLiteral("language"), box));

    auto* keyCap = new KeyCap(PlatformWording::apply(Hotkey::display()), PlatformWording::rewriteShortcutSpoken());
    keyCap->setObjectName(QStringLiteral("shortcutKeyCap"));
    layout->addWidget(
        SettingsLayout::row(QStringLiteral("Rewrite shortcut"), {}, keyCap, QStringLiteral("shortcut"), box));
    return box;
}

QWidget* SettingsGeneralTab::startupSection()
{
    QWidget* box = section(QStringLiteral("Startup"), QStringLiteral("startup"), this);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    m_login = toggle(QStringLiteral("Open Quillcraft at login"), "loginSwitch");
    connect(m_login, &QAbstractButton::toggled, this, [this](bool on) {
        m_wantedAtLogin = on;
        m_loginItem.setEnabled(on);
        // The store may have refused: the switch shows what is, not what was asked.
        syncLogin();
    });
    layout->addWidget(
        SettingsLayout::row(QStringLiteral("Open Quillcraft at login"), {}, m_login, QStringLiteral("login"), box));

    // No system page to send the user to here: the autostart entry is ours to write.
    auto* problem = new QWidget(box);
    problem->setObjectName(QStringLiteral("loginProblem"));
    auto* problemRow = new QHBoxLayout(problem);
    problemRow->setContentsMargins(0, 0, 0, 0);
    problemRow->setSpacing(12);
    m_loginNote = SettingsLayout::note({}, problem);
    m_loginNote->setObjectName(QStringLiteral("loginNote"));
    problemRow->addWidget(m_loginNote, 1);
    m_loginRetry = new QuietButton(QStringLiteral("Try again"), false, problem);
    m_loginRetry->setObjectName(QStringLiteral("loginRetry"));
    m_loginRetry->setFocusPolicy(Qt::StrongFocus);
    connect(m_loginRetry, &QAbstractButton::clicked, this, [this] { m_loginItem.setEnabled(m_wantedAtLogin); });
    problemRow->addWidget(m_loginRetry, 0, Qt::AlignVCenter);
    layout->addWidget(problem);
    return box;
}

QWidget* SettingsGeneralTab::updatesSection()
{
    QWidget* box = section(QStringLiteral("Updates"), QStringLiteral("updates"), this);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    m_autoCheck = toggle(QStringLiteral("Check for updates automatically"), "autoCheckSwitch");
    connect(m_autoCheck, &QAbstractButton::toggled, this, [this](bool on) {
        m_updater.setAutomaticallyChecks(on);
        syncUpdates();
    });
    layout->addWidget(SettingsLayout::row(
        QStringLiteral("Check for updates automatically"), {}, m_autoCheck, QStringLiteral("autoCheck"), box));
    // Kept so the choice is visible, but never offered: nothing here installs updates.
    m_autoInstall = toggle(QStringLiteral("Download and install updates automatically"), "autoInstallSwitch");
    layout->addWidget(SettingsLayout::row(QStringLiteral("Download and install updates automatically"), {},
        m_autoInstall, QStringLiteral("autoInstall"), box));
    m_autoInstall->setEnabled(false);

    m_updatesNote = SettingsLayout::note({}, box);
    m_updatesNote->setObjectName(QStringLiteral("updatesNote"));
    layout->addWidget(m_updatesNote);

    auto* versionRow = new QHBoxLayout;
    versionRow->setContentsMargins(0, 4, 0, 0);
    m_version = new WrappedText({}, 1, box);
    m_version->setObjectName(QStringLiteral("version"));
    m_version->setFont(Theme::geist(13, QFont::Medium));
    versionRow->addWidget(m_version, 1, Qt::AlignVCenter);
    m_check = new QuietButton({}, false, box);
    m_check->setObjectName(QStringLiteral("checkForUpdates"));
    m_check->setFocusPolicy(Qt::StrongFocus);
    connect(m_check, &QAbstractButton::clicked, this, [this] { m_updater.checkForUpdates(); });
    versionRow->addWidget(m_check, 0, Qt::AlignVCenter);
    layout->addLayout(versionRow);
    return box;
}

void SettingsGeneralTab::reload()
{
    const QSignalBlocker grammarBlock(m_grammar);
    m_grammar->setChecked(m_policy.grammarOn());
    const QSignalBlocker languageBlock(m_language);
    // A stored language the list does not offer shows as the default, and is left stored.
    const int index = m_language->findText(m_policy.language());
    m_language->setCurrentIndex(index >= 0 ? index : 0);
}

void SettingsGeneralTab::syncLogin()
{
    {
        const QSignalBlocker block(m_login);
        m_login->setChecked(m_loginItem.isEnabled());
    }
    QString text;
    if (m_loginItem.needsApproval())
        text = PlatformWording::apply(
            QStringLiteral("Allow Quillcraft in System Settings to open it automatically at login."));
    else if (m_loginItem.error())
        text = *m_loginItem.error();
    m_loginNote->setText(text);
    m_loginNote->setColor(m_loginItem.error() && !m_loginItem.needsApproval()
            ? std::optional<QColor>(Theme::error)
            : std::optional<QColor>(Theme::secondary(palette())));
    m_loginNote->parentWidget()->setVisible(!text.isEmpty());
    m_loginRetry->setVisible(m_loginItem.error().has_value() && !m_loginItem.needsApproval());
}

void SettingsGeneralTab::syncUpdates()
{
    const bool enabled = m_updater.enabled();
    const bool checks = enabled && m_updater.automaticallyChecks();
    {
        const QSignalBlocker block(m_autoCheck);
        m_autoCheck->setChecked(checks);
        m_autoCheck->setEnabled(enabled);
    }
    m_autoInstall->setChecked(m_updater.automaticallyInstalls());
    m_updatesNote->setText(m_updater.notice().value_or(updatesNote(enabled)));
    m_version->setText(QStringLiteral("Version ") + m_updater.version());
    m_check->setText(m_updater.updateReady() ? QStringLiteral("Update Ready…") : QStringLiteral("Check for Updates…"));
    m_check->setEnabled(m_updater.canCheck());
    m_check->updateGeometry();
}

} // namespace quillcraft
