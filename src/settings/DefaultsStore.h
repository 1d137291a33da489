#pragma once

#include "settings/PreferenceKeys.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

namespace quillcraft {

// The per-user defaults store: typed preference values under fixed keys, kept in
// $XDG_CONFIG_HOME/quillcraft/defaults.json. Every value keeps its type across a save
// and reload, so a reader can tell "absent or of another type" from a real value.
//
// File format (schema 1):
//   {"schema": 1, "values": {<key>: <value>, ...}}
// Booleans, numbers, strings, arrays and dictionaries are plain JSON. A date is the
// object {"$date": "<ISO-8601 UTC with milliseconds>"}. A dictionary key that begins
// with "$" is written with one more "$" in front, so no user key reads as a tag.
// Numbers read back as qlonglong when integral and within 64 bits, double otherwise.
//
// The file is written atomically with mode 0600. A file that cannot be read is renamed
// aside (defaults.json.damaged-<UTC time>) with a warning and the defaults apply; it
// is never overwritten in place. Every read first checks whether the file changed on
// disk (another process) and reloads it if so; concurrent writers: the last one wins.
//
// One instance per file is shared by every object in the process; GUI thread only.
class DefaultsStore final : public QObject {
    Q_OBJECT

public:
    // The user's store at standardFilePath().
    explicit DefaultsStore(QObject* parent = nullptr);
    // A store over another file (tests).
    explicit DefaultsStore(const QString& filePath, QObject* parent = nullptr);
    ~DefaultsStore() override;

    static constexpr int schemaVersion = PreferenceKeys::schemaVersion;
    static QString standardFilePath();
    QString filePath() const;

    // The stored value, or an invalid QVariant when the key is absent.
    QVariant value(const QString& key);
    bool contains(const QString& key);
    QStringList keys();

    // Strict typed reads: nullopt when absent or of another type (a string "true" is
    // not a boolean, a boolean is not a number).
    std::optional<bool> boolValue(const QString& key) { return asBool(value(key)); }
    std::optional<double> numberValue(const QString& key) { return asNumber(value(key)); }
    std::optional<QString> stringValue(const QString& key) { return asString(value(key)); }
    std::optional<QDateTime> dateValue(const QString& key) { return asDate(value(key)); }
    std::optional<QVariantMap> mapValue(const QString& key) { return asMap(value(key)); }
    std::optional<QVariantList> listValue(const QString& key) { return asList(value(key)); }

    // The same strict checks for values nested in dictionaries and arrays.
    static std::optional<bool> asBool(const QVariant& value);
    static std::optional<double> asNumber(const QVariant& value);
    static std::optional<QString> asString(const QVariant& value);
    static std::optional<QDateTime> asDate(const QVariant& value);
    static std::optional<QVariantMap> asMap(const QVariant& value);
    static std::optional<QVariantList> asList(const QVariant& value);

    // Stores the value and writes the file. Supported: bool, integers, finite
    // floating point, QString, valid QDateTime, and QVariantMap/QVariantHash/
    // QVariantList/QStringList of those, in which an invalid QVariant is a JSON null (what
    // a null in the file reads as). Returns false, storing nothing, for anything else. An
    // invalid QVariant as the value itself removes the key. A value equal to the stored
    // one (same type too) changes nothing and emits nothing.
    bool setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

Q_SIGNALS:
    // A key's value was set, removed, or changed on disk by someone else.
    void changed(const QString& key);

private:
    struct Private;
    // Reloads the file when it is not the version last read or written.
    void refresh();
    void persist();
    bool setAside(const QString& problem, QString& sentence) const;
    void warn(const QString& sentence) const;

    std::unique_ptr<Private> d;
};

} // namespace quillcraft
