#include "DefaultsStore.h"

#include "core/Logging.h"
#include "core/PrivateFile.h"
#include "settings/DefaultsFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QStandardPaths>

#include <sys/stat.h>

namespace quillcraft {

namespace {

// A preferences file this large is not ours; reading it would only waste memory.
constexpr qint64 maxFileSize = 16 * 1024 * 1024;

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
    return DefaultsFormat::read(file.readAll(), problem);
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
    return DefaultsFormat::decode(d->values.value(DefaultsFormat::escapedKey(key)));
}

bool DefaultsStore::contains(const QString& key)
{
    refresh();
    return d->values.contains(DefaultsFormat::escapedKey(key));
}

QStringList DefaultsStore::keys()
{
    refresh();
    QStringList keys;
    for (const QString& key : d->values.keys())
        keys.append(DefaultsFormat::unescapedKey(key));
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
    const auto encoded = DefaultsFormat::encode(value);
    if (!encoded) {
        qCWarning(lcSettings, "The preference %s cannot hold a value of type %s.", qPrintable(key), value.typeName());
        return false;
    }
    refresh();
    const QString stored = DefaultsFormat::escapedKey(key);
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
    const QString stored = DefaultsFormat::escapedKey(key);
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
        Q_EMIT changed(DefaultsFormat::unescapedKey(key));
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

    const QByteArray bytes = DefaultsFormat::write(d->values);
    if (!PrivateFile(d->path).write(bytes)) {
        warnOnce(QStringLiteral("The preferences could not be saved to %1; they are kept for this session only.")
                     .arg(d->path));
        return;
    }
    d->writeFailing = false;
    d->stamp = stampOf(d->path);
}

} // namespace quillcraft
