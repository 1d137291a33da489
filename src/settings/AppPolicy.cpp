#include "AppPolicy.h"

#include "settings/DefaultsStore.h"

#include <QHash>

#include <cmath>
#include <utility>

namespace quillcraft {

namespace {

const char* const chromeCovers = "The Chrome extension covers Chrome.";
const char* const terminals = "Terminals are code, not prose.";
const char* const codeEditors = "Code editors are off by default.";
const char* const passwordManagers = "Password managers stay private.";

// Browsers the Chrome extension covers, terminals, code editors and password managers.
// Linux rows hold desktop-entry ids, WM_CLASS classes and executable names, each once
// ignoring case. Firefox is not here: the extension is a Chrome one and does not cover it.
const std::pair<const char*, const char*> offByDefaultRows[] = {
    { "com.google.Chrome", chromeCovers },
    { "com.google.Chrome.canary", chromeCovers },
    { "com.brave.Browser", "The Chrome extension covers Brave." },
    { "com.microsoft.edgemac", "The Chrome extension covers Edge." },
    { "company.thebrowser.Browser", "The Chrome extension covers Arc." },
    { "com.vivaldi.Vivaldi", "The Chrome extension covers Vivaldi." },
    { "com.apple.Terminal", terminals },
    { "com.googlecode.iterm2", terminals },
    { "dev.warp.Warp-Stable", terminals },
    { "com.mitchellh.ghostty", terminals },
    { "com.apple.dt.Xcode", codeEditors },
    { "com.microsoft.VSCode", codeEditors },
    { "com.todesktop.230313mzl4w4u92", codeEditors },
    { "com.1password.1password", passwordManagers },
    { "com.agilebits.onepassword7", passwordManagers },
    { "com.apple.keychainaccess", passwordManagers },

    { "google-chrome", chromeCovers },
    { "google-chrome-stable", chromeCovers },
    { "google-chrome-beta", chromeCovers },
    { "google-chrome-unstable", chromeCovers },
    { "google-chrome-canary", chromeCovers },
    { "chrome", chromeCovers },
    { "chromium", "The Chrome extension covers Chromium." },
    { "chromium-browser", "The Chrome extension covers Chromium." },
    { "org.chromium.Chromium", "The Chrome extension covers Chromium." },
    { "brave-browser", "The Chrome extension covers Brave." },
    { "brave-browser-beta", "The Chrome extension covers Brave." },
    { "brave-browser-nightly", "The Chrome extension covers Brave." },
    { "brave", "The Chrome extension covers Brave." },
    { "microsoft-edge", "The Chrome extension covers Edge." },
    { "microsoft-edge-beta", "The Chrome extension covers Edge." },
    { "microsoft-edge-dev", "The Chrome extension covers Edge." },
    { "com.microsoft.Edge", "The Chrome extension covers Edge." },
    { "msedge", "The Chrome extension covers Edge." },
    { "vivaldi-stable", "The Chrome extension covers Vivaldi." },
    { "vivaldi-snapshot", "The Chrome extension covers Vivaldi." },
    { "vivaldi", "The Chrome extension covers Vivaldi." },
    { "vivaldi-bin", "The Chrome extension covers Vivaldi." },

    { "org.gnome.Terminal", terminals },
    { "gnome-terminal", terminals },
    { "gnome-terminal-server", terminals },
    { "org.gnome.Console", terminals },
    { "kgx", terminals },
    { "org.gnome.Ptyxis", terminals },
    { "ptyxis", terminals },
    { "org.kde.konsole", terminals },
    { "konsole", terminals },
    { "org.kde.yakuake", terminals },
    { "yakuake", terminals },
    { "xterm", terminals },
    { "uxterm", terminals },
    { "rxvt", terminals },
    { "urxvt", terminals },
    { "rxvt-unicode", terminals },
    { "kitty", terminals },
    { "alacritty", terminals },
    { "tilix", terminals },
    { "com.gexperts.Tilix", terminals },
    { "terminator", terminals },
    { "xfce4-terminal", terminals },
    { "lxterminal", terminals },
    { "mate-terminal", terminals },
    { "qterminal", terminals },
    { "terminology", terminals },
    { "guake", terminals },
    { "tilda", terminals },
    { "sakura", terminals },
    { "cool-retro-term", terminals },
    { "st", terminals },
    { "st-256color", terminals },
    { "wezterm", terminals },
    { "org.wezfurlong.wezterm", terminals },
    { "foot", terminals },
    { "footclient", terminals },
    { "ghostty", terminals },
    { "warp-terminal", terminals },
    { "dev.warp.Warp", terminals },
    { "io.elementary.terminal", terminals },
    { "com.raggesilver.BlackBox", terminals },
    { "deepin-terminal", terminals },

    { "code", codeEditors },
    { "code-insiders", codeEditors },
    { "code-oss", codeEditors },
    { "Code - OSS", codeEditors },
    { "codium", codeEditors },
    { "VSCodium", codeEditors },
    { "com.visualstudio.code", codeEditors },
    { "com.visualstudio.code.oss", codeEditors },
    { "com.vscodium.codium", codeEditors },
    { "cursor", codeEditors },
    { "dev.zed.Zed", codeEditors },
    { "zed", codeEditors },
    { "sublime_text", codeEditors },
    { "com.sublimetext.three", codeEditors },
    { "org.qt-project.qtcreator", codeEditors },
    { "qtcreator", codeEditors },
    { "org.gnome.Builder", codeEditors },
    { "jetbrains-idea", codeEditors },
    { "jetbrains-idea-ce", codeEditors },
    { "jetbrains-pycharm", codeEditors },
    { "jetbrains-pycharm-ce", codeEditors },
    { "jetbrains-clion", codeEditors },
    { "jetbrains-goland", codeEditors },
    { "jetbrains-webstorm", codeEditors },
    { "jetbrains-phpstorm", codeEditors },
    { "jetbrains-rider", codeEditors },
    { "jetbrains-rustrover", codeEditors },
    { "jetbrains-studio", codeEditors },

    { "1password", passwordManagers },
    { "org.keepassxc.KeePassXC", passwordManagers },
    { "keepassxc", passwordManagers },
    { "keepass2", passwordManagers },
    { "bitwarden", passwordManagers },
    { "com.bitwarden.desktop", passwordManagers },
    { "org.gnome.seahorse.Application", passwordManagers },
    { "seahorse", passwordManagers },
    { "org.gnome.World.Secrets", passwordManagers },
    { "org.kde.kwalletmanager5", passwordManagers },
    { "kwalletmanager5", passwordManagers },
    { "enpass", passwordManagers },
    { "proton-pass", passwordManagers },
    { "me.proton.Pass", passwordManagers },
};

const QHash<QString, QString>& offByDefaultFolded()
{
    static const QHash<QString, QString> folded = [] {
        QHash<QString, QString> table;
        for (const auto& [id, reason] : offByDefaultRows)
            table.insert(QString::fromUtf8(id).toCaseFolded(), QString::fromUtf8(reason));
        return table;
    }();
    return folded;
}

} // namespace

AppPolicy::AppPolicy(DefaultsStore& defaults, Clock clock, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_clock(std::move(clock))
{
    connect(&m_defaults, &DefaultsStore::changed, this, &AppPolicy::changed);
}

AppPolicy::~AppPolicy() = default;

AppPolicy& AppPolicy::shared()
{
    static DefaultsStore store;
    static AppPolicy policy(store);
    return policy;
}

const QMap<QString, QString>& AppPolicy::offByDefault()
{
    static const QMap<QString, QString> table = [] {
        QMap<QString, QString> rows;
        for (const auto& [id, reason] : offByDefaultRows)
            rows.insert(QString::fromUtf8(id), QString::fromUtf8(reason));
        return rows;
    }();
    return table;
}

std::optional<QString> AppPolicy::offByDefaultReason(const QString& appId)
{
    const auto& table = offByDefaultFolded();
    const auto it = table.find(appId.toCaseFolded());
    if (it == table.end())
        return std::nullopt;
    return *it;
}

QDateTime AppPolicy::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTimeUtc();
}

QMap<QString, QVariant> AppPolicy::storedMap(QLatin1String key)
{
    return m_defaults.mapValue(key).value_or(QVariantMap());
}

QStringList AppPolicy::storedStrings(QLatin1String key)
{
    QStringList strings;
    for (const QVariant& element : m_defaults.listValue(key).value_or(QVariantList())) {
        if (auto string = DefaultsStore::asString(element))
            strings.append(*string);
    }
    return strings;
}

bool AppPolicy::isOn(const QString& appId)
{
    if (auto choice = DefaultsStore::asBool(storedMap(appChoicesKey).value(appId)))
        return *choice;
    return !offByDefaultReason(appId).has_value();
}

void AppPolicy::set(bool on, const QString& appId)
{
    QVariantMap choices = storedMap(appChoicesKey);
    choices.insert(appId, on);
    m_defaults.setValue(appChoicesKey, choices);
}

QMap<QString, bool> AppPolicy::appChoices()
{
    QMap<QString, bool> choices;
    const QVariantMap stored = storedMap(appChoicesKey);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (auto choice = DefaultsStore::asBool(it.value()))
            choices.insert(it.key(), *choice);
    }
    return choices;
}

bool AppPolicy::checks(const QString& appId)
{
    return !isPaused() && isOn(appId);
}

std::optional<QDateTime> AppPolicy::pausedUntil()
{
    return m_defaults.dateValue(pausedUntilKey);
}

bool AppPolicy::isPaused()
{
    const auto until = pausedUntil();
    return until && *until > now();
}

QDateTime AppPolicy::distantFuture()
{
    return QDateTime(QDate(4001, 1, 1), QTime(0, 0), Qt::UTC);
}

void AppPolicy::pause(std::optional<std::chrono::seconds> duration)
{
    QDateTime until = distantFuture();
    if (duration) {
        const QDateTime end = now().addSecs(duration->count());
        if (end.isValid() && end < until)
            until = end;
    }
    m_defaults.setValue(pausedUntilKey, until);
}

void AppPolicy::resume()
{
    m_defaults.remove(pausedUntilKey);
}

BadgeCorner AppPolicy::badgeCorner(const QString& appId)
{
    if (auto raw = DefaultsStore::asString(storedMap(badgeCornersKey).value(appId))) {
        if (auto corner = badgeCornerFromRawValue(*raw))
            return *corner;
    }
    return BadgeCorner::bottomRight;
}

void AppPolicy::setBadgeCorner(BadgeCorner corner, const QString& appId)
{
    QVariantMap corners = storedMap(badgeCornersKey);
    corners.insert(appId, rawValue(corner));
    m_defaults.setValue(badgeCornersKey, corners);
    clearBadgePosition(appId);
}

void AppPolicy::resetBadgePosition(const QString& appId)
{
    removeFromMap(badgeCornersKey, appId);
    clearBadgePosition(appId);
}

std::optional<BadgePosition> AppPolicy::badgePosition(const QString& appId)
{
    const auto entry = DefaultsStore::asMap(storedMap(badgePositionsKey).value(appId));
    if (!entry)
        return std::nullopt;
    const auto x = DefaultsStore::asNumber(entry->value(QStringLiteral("x")));
    const auto y = DefaultsStore::asNumber(entry->value(QStringLiteral("y")));
    if (!x || !y)
        return std::nullopt;
    const BadgePosition position { *x, *y };
    if (!position.isFinite())
        return std::nullopt;
    return position;
}

void AppPolicy::setBadgePosition(const BadgePosition& position, const QString& appId)
{
    if (!position.isFinite())
        return;
    QVariantMap positions = storedMap(badgePositionsKey);
    positions.insert(appId, QVariantMap { { QStringLiteral("x"), position.x }, { QStringLiteral("y"), position.y } });
    m_defaults.setValue(badgePositionsKey, positions);
}

void AppPolicy::clearBadgePosition(const QString& appId)
{
    removeFromMap(badgePositionsKey, appId);
}

void AppPolicy::removeFromMap(QLatin1String key, const QString& appId)
{
    QVariantMap map = storedMap(key);
    // Nothing to remove: leave the store (and a malformed value in it) alone.
    if (map.remove(appId) == 0)
        return;
    m_defaults.setValue(key, map);
}

bool AppPolicy::badgeHidden(const QString& appId)
{
    return storedStrings(hiddenBadgesKey).contains(appId);
}

void AppPolicy::setBadgeHidden(bool hidden, const QString& appId)
{
    QStringList ids = storedStrings(hiddenBadgesKey);
    ids.removeAll(appId);
    if (hidden)
        ids.append(appId);
    ids.sort();
    ids.removeDuplicates();
    m_defaults.setValue(hiddenBadgesKey, ids);
}

QStringList AppPolicy::dictionary()
{
    QStringList words;
    for (const QString& word : storedStrings(dictionaryKey))
        words.append(word.toLower());
    words.sort();
    words.removeDuplicates();
    return words;
}

void AppPolicy::addToDictionary(const QString& word)
{
    const QString lowered = word.toLower();
    if (lowered.isEmpty())
        return;
    QStringList words = dictionary();
    words.append(lowered);
    words.sort();
    words.removeDuplicates();
    m_defaults.setValue(dictionaryKey, words);
}

void AppPolicy::removeFromDictionary(const QString& word)
{
    QStringList words = dictionary();
    words.removeAll(word.toLower());
    m_defaults.setValue(dictionaryKey, words);
}

bool AppPolicy::grammarOn()
{
    return m_defaults.boolValue(grammarOnKey).value_or(PreferenceKeys::grammarOn.defaultValue());
}

void AppPolicy::setGrammarOn(bool on)
{
    m_defaults.setValue(grammarOnKey, on);
}

QString AppPolicy::language()
{
    return m_defaults.stringValue(languageKey).value_or(PreferenceKeys::language.defaultValue());
}

void AppPolicy::setLanguage(const QString& language)
{
    m_defaults.setValue(languageKey, language);
}

bool AppPolicy::finishedOnboarding()
{
    return m_defaults.boolValue(finishedOnboardingKey).value_or(PreferenceKeys::finishedOnboarding.defaultValue());
}

void AppPolicy::setFinishedOnboarding(bool finished)
{
    m_defaults.setValue(finishedOnboardingKey, finished);
}

} // namespace quillcraft
