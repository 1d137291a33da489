#pragma once

#include "settings/BadgeCorner.h"
#include "settings/BadgePosition.h"
#include "settings/PreferenceKeys.h"

#include <QDateTime>
#include <QLatin1String>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

namespace quillcraft {

class DefaultsStore;

// The user's rules and preferences: where checking runs, the pause, the badge's place
// per app, the personal dictionary, the grammar switch, the language and whether
// onboarding was finished. Every query reads the defaults store, so a value written
// through the same store by anyone else counts at the next query; a stored value of
// the wrong type reads as the default and is replaced by the next write.
//
// Apps are named by the id the platform layer resolves: the desktop-entry id
// (org.gnome.Terminal), else the WM_CLASS class, else the executable name.
class AppPolicy final : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    static constexpr QLatin1String appChoicesKey = PreferenceKeys::appChoices.name;
    static constexpr QLatin1String pausedUntilKey = PreferenceKeys::pausedUntil.name;
    static constexpr QLatin1String badgeCornersKey = PreferenceKeys::badgeCorners.name;
    static constexpr QLatin1String badgePositionsKey = PreferenceKeys::badgePositions.name;
    static constexpr QLatin1String hiddenBadgesKey = PreferenceKeys::hiddenBadges.name;
    static constexpr QLatin1String dictionaryKey = PreferenceKeys::dictionary.name;
    static constexpr QLatin1String grammarOnKey = PreferenceKeys::grammarOn.name;
    static constexpr QLatin1String languageKey = PreferenceKeys::language.name;
    static constexpr QLatin1String finishedOnboardingKey = PreferenceKeys::finishedOnboarding.name;

    // The clock gives the current time; the system clock when empty.
    explicit AppPolicy(DefaultsStore& defaults, Clock clock = {}, QObject* parent = nullptr);
    ~AppPolicy() override;

    // The process-wide policy over the user's own store, created on first use (the
    // application controller does so at launch). Tests build their own over a test store.
    static AppPolicy& shared();

    // The store, also used for the few keys other parts own.
    DefaultsStore& defaults() const { return m_defaults; }

    // Built-in apps that are off unless the user turns them on: id -> reason shown.
    static const QMap<QString, QString>& offByDefault();
    // The reason when the id is in that table. Letter case is ignored: the same program
    // shows up as "google-chrome" (desktop entry) or "Google-chrome" (WM_CLASS), and no
    // two programs we know of differ only in case.
    static std::optional<QString> offByDefaultReason(const QString& appId);

    // The explicit choice if there is one, else on unless built in as off.
    bool isOn(const QString& appId);
    void set(bool on, const QString& appId);
    // Explicit choices, keyed exactly as stored.
    QMap<QString, bool> appChoices();
    // False for every app while paused; otherwise isOn().
    bool checks(const QString& appId);

    bool isPaused();
    std::optional<QDateTime> pausedUntil();
    // No duration: until resumed (the distant future).
    void pause(std::optional<std::chrono::seconds> duration = std::nullopt);
    void resume();
    // 4001-01-01T00:00:00Z, the date a pause "until resumed" stores.
    static QDateTime distantFuture();

    BadgeCorner badgeCorner(const QString& appId);
    // Also forgets a dragged position: the chosen corner wins.
    void setBadgeCorner(BadgeCorner corner, const QString& appId);
    // Back to the default corner with no dragged position.
    void resetBadgePosition(const QString& appId);
    std::optional<BadgePosition> badgePosition(const QString& appId);
    // Ignored when a coordinate is not finite.
    void setBadgePosition(const BadgePosition& position, const QString& appId);

    bool badgeHidden(const QString& appId);
    void setBadgeHidden(bool hidden, const QString& appId);

    // The saved words, lower-cased, sorted and unique.
    QStringList dictionary();
    void addToDictionary(const QString& word);
    void removeFromDictionary(const QString& word);

    bool grammarOn();
    void setGrammarOn(bool on);
    QString language();
    void setLanguage(const QString& language);
    bool finishedOnboarding();
    void setFinishedOnboarding(bool finished);

    // When true, fields in this program's own windows are checked like any other
    // (the onboarding practice field). Not stored.
    bool allowsOwnFields() const { return m_allowsOwnFields; }
    void setAllowsOwnFields(bool allows) { m_allowsOwnFields = allows; }

Q_SIGNALS:
    // A stored preference changed, through this policy or anyone sharing its store.
    void changed(const QString& key);

private:
    QDateTime now() const;
    QMap<QString, QVariant> storedMap(QLatin1String key);
    QStringList storedStrings(QLatin1String key);
    void clearBadgePosition(const QString& appId);
    void removeFromMap(QLatin1String key, const QString& appId);

    DefaultsStore& m_defaults;
    Clock m_clock;
    bool m_allowsOwnFields = false;
};

} // namespace quillcraft
