#include "DefaultsFormat.h"

#include "settings/PreferenceKeys.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <limits>

namespace quillcraft {

namespace {

const QLatin1String dateTag("$date");
const QLatin1String schemaKey("schema");
const QLatin1String valuesKey("values");

// Qt writes a whole double below 2^63 as an integer literal, which reads back as an
// integer; such doubles are stored as integers so that memory and disk agree.
constexpr double integerLimit = 9223372036854775808.0; // 2^63

// How the file spells a date: ISO 8601 in UTC, which covers the years 1 to 9999 only;
// empty for any other date.
QString dateText(const QDateTime& date)
{
    return date.isValid() ? date.toUTC().toString(Qt::ISODateWithMs) : QString();
}

template <typename Map> std::optional<QJsonValue> encodeMap(const Map& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const auto encoded = DefaultsFormat::encode(it.value());
        if (!encoded)
            return std::nullopt;
        object.insert(DefaultsFormat::escapedKey(it.key()), *encoded);
    }
    return object;
}

} // namespace

QString DefaultsFormat::escapedKey(const QString& key)
{
    return key.startsWith(QLatin1Char('$')) ? QLatin1Char('$') + key : key;
}

QString DefaultsFormat::unescapedKey(const QString& key)
{
    return key.startsWith(QLatin1String("$$")) ? key.mid(1) : key;
}

std::optional<QJsonValue> DefaultsFormat::encode(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        // A null inside a dictionary or array reads back as an invalid QVariant; it has
        // to write back too, or a read-modify-write of that container fails for good.
        return QJsonValue(QJsonValue::Null);
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QJsonValue(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return QJsonValue(qint64(number));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return std::nullopt;
        if (std::trunc(number) == number && number >= -integerLimit && number < integerLimit)
            return QJsonValue(qint64(number));
        return QJsonValue(number);
    }
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::QDateTime: {
        const QString text = dateText(value.toDateTime());
        if (text.isEmpty())
            return std::nullopt;
        return QJsonObject { { dateTag, text } };
    }
    case QMetaType::QVariantMap:
        return encodeMap(value.toMap());
    case QMetaType::QVariantHash:
        return encodeMap(value.toHash());
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QVariant& element : value.toList()) {
            const auto encoded = encode(element);
            if (!encoded)
                return std::nullopt;
            array.append(*encoded);
        }
        return array;
    }
    default:
        return std::nullopt;
    }
}

QVariant DefaultsFormat::decode(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toVariant(); // qlonglong when the number was written as an integer
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& element : value.toArray())
            list.append(decode(element));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.size() == 1 && object.value(dateTag).isString()) {
            const QDateTime date = QDateTime::fromString(object.value(dateTag).toString(), Qt::ISODateWithMs);
            // A date that could not be written back stays the dictionary it is.
            if (!dateText(date).isEmpty())
                return date.toUTC();
        }
        QVariantMap map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(unescapedKey(it.key()), decode(it.value()));
        return map;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return {};
}

std::optional<QJsonObject> DefaultsFormat::read(const QByteArray& bytes, QString& problem)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        problem = QStringLiteral("is not valid JSON");
        return std::nullopt;
    }
    const QJsonValue schema = document.object().value(schemaKey);
    const double version = schema.toDouble(-1);
    if (!schema.isDouble() || version < 1 || std::trunc(version) != version) {
        problem = QStringLiteral("has no schema version");
        return std::nullopt;
    }
    // A newer schema may mean things this version cannot tell, so it is kept aside
    // rather than rewritten; an older one is brought forward once its values are read.
    if (version > schemaVersion) {
        problem = QStringLiteral("was written by a newer version of Quillcraft");
        return std::nullopt;
    }
    const QJsonValue values = document.object().value(valuesKey);
    if (!values.isObject()) {
        problem = QStringLiteral("has no values");
        return std::nullopt;
    }
    return PreferenceKeys::migrate(int(version), values.toObject());
}

QByteArray DefaultsFormat::write(const QJsonObject& values)
{
    const QJsonObject root { { schemaKey, schemaVersion }, { valuesKey, values } };
    // Qt's reader drops a U+FEFF that opens a string, key or value; escaped it stays.
    // These bytes only ever encode U+FEFF, and only strings can hold it.
    return QJsonDocument(root).toJson(QJsonDocument::Indented).replace("\xEF\xBB\xBF", "\\ufeff");
}

} // namespace quillcraft
