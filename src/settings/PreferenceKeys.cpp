#include "PreferenceKeys.h"

namespace quillcraft {

namespace {

template <typename T> PreferenceKeys::Row rowOf(const PreferenceKeys::Key<T>& key)
{
    return { key.name, QMetaType::fromType<T>(), QVariant::fromValue(key.defaultValue()) };
}

} // namespace

const QList<PreferenceKeys::Row>& PreferenceKeys::all()
{
    static const QList<Row> rows {
        rowOf(appChoices),
        rowOf(pausedUntil),
        rowOf(badgeCorners),
        rowOf(badgePositions),
        rowOf(hiddenBadges),
        rowOf(dictionary),
        rowOf(grammarOn),
        rowOf(language),
        rowOf(finishedOnboarding),
        rowOf(savedCustomTones),
        rowOf(sessionSharedWithBrowser),
        rowOf(automaticallyChecksForUpdates),
    };
    return rows;
}

QJsonObject PreferenceKeys::migrate(int fromSchema, QJsonObject values)
{
    // Schema 1 is the first and the current one, so there is nothing to bring forward
    // yet. Each later schema adds a step here taking the values of the one before to it.
    Q_ASSERT(fromSchema >= 1 && fromSchema <= schemaVersion);
    Q_UNUSED(fromSchema)
    return values;
}

} // namespace quillcraft
