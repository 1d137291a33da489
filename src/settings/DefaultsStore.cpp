#include "DefaultsStore.h"

#include "core/Logging.h"
#include "core/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <sys/stat.h>

#include <cmath>
#include <limits>

namespace quillcraft {

namespace {

const QLatin1String dateTag("$date");
const QLatin1String schemaKey("schema");
const QLatin1String valuesKey("values");

// A preferences file this large is not ours; reading it would only waste memory.
constexpr qint64 maxFileSize = 16 * 1024 * 1024;
// Integral doubles up to 2^53 are stored as integers so that memory and disk agree.
constexpr double maxExactInteger = 9007199254740992.0;

// One version of the file on disk. Every save renames a new file into place, so the
// inode and change time move even when the size and modification time do not.
struct FileStamp final {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& path)
{
    struct stat info { };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return { true, info.st_dev, info.st_ino, info.st_size,
        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
        qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec };
}

// Keys beginning with "$" get one more, so a user key never reads as a tag.
QString escapedKey(const QString& key)
{
    return key.startsWith(QLatin1Char('$')) ? QLatin1Char('$') + key : key;
}

QString unescapedKey(const QString& key)
{
    return key.startsWith(QLatin1String("$$")) ? key.mid(1) : key;
}

std::optional<QJsonValue> encode(const QVariant& value);

template <typename Map> std::optional<QJsonValue> encodeMap(const Map& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const auto encoded = encode(it.value());
        if (!encoded)
            return std::nullopt;
        object.insert(escapedKey(it.key()), *encoded);
    }
    return object;
}

std::optional<QJsonValue> encode(const QVariant& value)
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
        if (std::trunc(number) == number && std::abs(number) <= maxExactInteger)
            return QJsonValue(qint64(number));
        return QJsonValue(number);
    }
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        const QString text = date.isValid() ? date.toUTC().toString(Qt::ISODateWithMs) : QString();
        if (text.isEmpty()) // ISO 8601 covers years 0 to 9999 only
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

QVariant decode(const QJsonValue& value)
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
            if (date.isValid())
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

// The stored values of the file at path, or why they could not be read.
std::optional<QJsonObject> readValues(const QString& path, QString& problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("could not be opened");
        return std::nullopt;
    }
    if (file.size() > maxFileSize) {
        problem = QStringLiteral("is too large");
        return std::nullopt;
    }
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
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
    if (version > DefaultsStore::schemaVersion) {
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

} // namespace

struct DefaultsStore::Private final {
    QString path;
    QJsonObject values; // keys escaped, values encoded: exactly what the file holds
    FileStamp stamp;
    bool loaded = false;
    // The file holds something unreadable that could not be moved aside: never write over it.
    bool blocked = false;
    bool writeFailing = false;
};

DefaultsStore::DefaultsStore(QObject* parent)
    : DefaultsStore(standardFilePath(), parent)
{
}

DefaultsStore::DefaultsStore(const QString& filePath, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->path = filePath;
    refresh();
}

DefaultsStore::~DefaultsStore() = default;

QString DefaultsStore::standardFilePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/quillcraft/defaults.json");
}

QString DefaultsStore::filePath() const
{
    return d->path;
}

QVariant DefaultsStore::value(const QString& key)
{
    refresh();
    return decode(d->values.value(escapedKey(key)));
}

bool DefaultsStore::contains(const QString& key)
{
    refresh();
    return d->values.contains(escapedKey(key));
}

QStringList DefaultsStore::keys()
{
    refresh();
    QStringList keys;
    for (const QString& key : d->values.keys())
        keys.append(unescapedKey(key));
    return keys;
}

std::optional<bool> DefaultsStore::asBool(const QVariant& value)
{
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<double> DefaultsStore::asNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return value.toDouble();
    default:
        return std::nullopt;
    }
}

std::optional<QString> DefaultsStore::asString(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QDateTime> DefaultsStore::asDate(const QVariant& value)
{
    if (value.typeId() != QMetaType::QDateTime || !value.toDateTime().isValid())
        return std::nullopt;
    return value.toDateTime();
}

std::optional<QVariantMap> DefaultsStore::asMap(const QVariant& value)
{
    if (value.typeId() == QMetaType::QVariantMap)
        return value.toMap();
    if (value.typeId() == QMetaType::QVariantHash) {
        QVariantMap map;
        const QVariantHash hash = value.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            map.insert(it.key(), it.value());
        return map;
    }
    return std::nullopt;
}

std::optional<QVariantList> DefaultsStore::asList(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return std::nullopt;
    return value.toList();
}

bool DefaultsStore::setValue(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        remove(key);
        return true;
    }
    const auto encoded = encode(value);
    if (!encoded) {
        qCWarning(lcSettings, "The preference %s cannot hold a value of type %s.", qPrintable(key), value.typeName());
        return false;
    }
    refresh();
    const QString stored = escapedKey(key);
    if (d->values.contains(stored) && d->values.value(stored) == *encoded)
        return true;
    d->values.insert(stored, *encoded);
    persist();
    Q_EMIT changed(key);
    return true;
}

void DefaultsStore::remove(const QString& key)
{
    refresh();
    const QString stored = escapedKey(key);
    if (!d->values.contains(stored))
        return;
    d->values.remove(stored);
    persist();
    Q_EMIT changed(key);
}

void DefaultsStore::warn(const QString& sentence) const
{
    qCWarning(lcSettings).noquote() << sentence;
}

// Moves an unreadable file out of the way so that writing never destroys it; says
// what happened in one sentence.
bool DefaultsStore::setAside(const QString& problem, QString& sentence) const
{
    const QString aside = PrivateFile(d->path).setAside();
    if (aside.isEmpty()) {
        sentence = QStringLiteral("The preferences file %1 %2 and could not be moved aside; defaults apply and "
                                  "changes are kept for this session only.")
                       .arg(d->path, problem);
        return false;
    }
    sentence = QStringLiteral("The preferences file %1 %2 and was moved to %3; defaults apply.")
                   .arg(d->path, problem, aside);
    return true;
}

void DefaultsStore::refresh()
{
    FileStamp stamp = stampOf(d->path);
    if (d->loaded && stamp == d->stamp)
        return;
    d->loaded = true;

    QJsonObject fresh;
    bool blocked = false;
    if (stamp.exists) {
        QString problem;
        if (auto values = readValues(d->path, problem)) {
            fresh = *values;
        } else {
            QString sentence;
            if (setAside(problem, sentence))
                stamp = stampOf(d->path);
            else
                blocked = true;
            warn(sentence);
        }
    }
    d->stamp = stamp;
    d->blocked = blocked;

    const QJsonObject previous = std::exchange(d->values, fresh);
    QStringList touched;
    for (auto it = previous.begin(); it != previous.end(); ++it) {
        if (!fresh.contains(it.key()) || fresh.value(it.key()) != it.value())
            touched.append(it.key());
    }
    for (auto it = fresh.begin(); it != fresh.end(); ++it) {
        if (!previous.contains(it.key()))
            touched.append(it.key());
    }
    for (const QString& key : touched)
        Q_EMIT changed(unescapedKey(key));
}

void DefaultsStore::persist()
{
    const auto warnOnce = [this](const QString& sentence) {
        if (!d->writeFailing)
            warn(sentence);
        d->writeFailing = true;
    };
    if (d->blocked && QFileInfo::exists(d->path)) {
        QString sentence;
        if (!setAside(QStringLiteral("could not be read"), sentence)) {
            warnOnce(sentence);
            return;
        }
        warn(sentence);
    }
    d->blocked = false;

    const QFileInfo info(d->path);
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder)) {
            warnOnce(QStringLiteral("The preferences folder %1 could not be created; preferences are kept for "
                                    "this session only.")
                         .arg(folder));
            return;
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    const QJsonObject root { { schemaKey, schemaVersion }, { valuesKey, d->values } };
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (!PrivateFile(d->path).write(bytes)) {
        warnOnce(QStringLiteral("The preferences could not be saved to %1; they are kept for this session only.")
                     .arg(d->path));
        return;
    }
    d->writeFailing = false;
    d->stamp = stampOf(d->path);
}

} // namespace quillcraft
