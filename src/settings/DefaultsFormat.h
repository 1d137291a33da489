#pragma once

#include "settings/PreferenceKeys.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariant>

#include <optional>

namespace quillcraft {

// The bytes of the preferences file and the values they hold, without the file
// itself; DefaultsStore describes the format. Values in a file's object are kept
// encoded under escaped keys, exactly as the file holds them.
class DefaultsFormat final {
public:
    static constexpr int schemaVersion = PreferenceKeys::schemaVersion;

    // The values of a file's bytes brought to the current schema, or nothing with
    // `problem` saying why, in words that follow "The preferences file <path>".
    static std::optional<QJsonObject> read(const QByteArray& bytes, QString& problem);
    static QByteArray write(const QJsonObject& values);

    // Nothing for a value the file cannot hold.
    static std::optional<QJsonValue> encode(const QVariant& value);
    // Never fails: what is not a known shape reads as what JSON says it is.
    static QVariant decode(const QJsonValue& value);

    // Keys beginning with "$" get one more, so a user key never reads as a tag.
    static QString escapedKey(const QString& key);
    static QString unescapedKey(const QString& key);
};

} // namespace quillcraft
