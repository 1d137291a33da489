#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QLatin1String>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace quillcraft {

// Every preference the program keeps in the defaults store: its key, the type its value
// reads as, and the value that applies while it is absent or of another type. The file
// holds {"schema": schemaVersion, "values": {<key>: <value>, ...}}.
class PreferenceKeys final {
public:
    // A key and the default of the C++ type its value reads as.
    template <typename T> struct Key final {
        QLatin1String name;
        T (*defaultValue)();
    };

    // One key of the table, for code that goes through all of them.
    struct Row final {
        QLatin1String name;
        QMetaType type;
        QVariant defaultValue;
    };

    static constexpr int schemaVersion = 1;

    // App id -> the user's explicit on/off choice (bool).
    static constexpr Key<QVariantMap> appChoices { QLatin1String("appChoices"), [] { return QVariantMap(); } };
    // When checking resumes; absent (an invalid date) while not paused.
    static constexpr Key<QDateTime> pausedUntil { QLatin1String("pausedUntil"), [] { return QDateTime(); } };
    // App id -> the raw value of a BadgeCorner.
    static constexpr Key<QVariantMap> badgeCorners { QLatin1String("badgeCorners"), [] { return QVariantMap(); } };
    // App id -> {"x": number, "y": number}, where the badge was dragged.
    static constexpr Key<QVariantMap> badgePositions { QLatin1String("badgePositions"), [] { return QVariantMap(); } };
    // Ids of the apps whose badge is hidden, sorted.
    static constexpr Key<QStringList> hiddenBadges { QLatin1String("hiddenBadges"), [] { return QStringList(); } };
    // The user's words, lower-cased, sorted and unique.
    static constexpr Key<QStringList> dictionary { QLatin1String("dictionary"), [] { return QStringList(); } };
    static constexpr Key<bool> grammarOn { QLatin1String("grammarOn"), [] { return true; } };
    // The language text is checked and rewritten in.
    static constexpr Key<QString> language { QLatin1String("language"), [] { return QStringLiteral("English"); } };
    static constexpr Key<bool> finishedOnboarding { QLatin1String("finishedOnboarding"), [] { return false; } };
    // Tones the user wrote on the rewrite card, newest first.
    static constexpr Key<QStringList> savedCustomTones { QLatin1String("savedCustomTones"),
        [] { return QStringList(); } };
    // Whether the sign-in is shared with the browser.
    static constexpr Key<bool> sessionSharedWithBrowser { QLatin1String("sessionSharedWithBrowser"),
        [] { return false; } };
    // Whether the update feed is read without being asked; off until the user turns it on.
    static constexpr Key<bool> automaticallyChecksForUpdates { QLatin1String("automaticallyChecksForUpdates"),
        [] { return false; } };

    // Every key above, in that order.
    static const QList<Row>& all();

    // The values of a file written with schema fromSchema (1 to schemaVersion) in the
    // form of schemaVersion. The file itself keeps its old form until the next change.
    static QJsonObject migrate(int fromSchema, QJsonObject values);
};

} // namespace quillcraft
