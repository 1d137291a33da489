// The preferences store reads back exactly what it wrote, for any value tree it
// accepts, and refuses only the trees it documents as unsupported. The tree is built
// from the input; the store writes a real file under TMPDIR.
#include "DefaultsValue.h"
#include "FuzzSupport.h"

#include "settings/DefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using namespace quillcraft;

namespace {

template <typename T> T number(fuzz::InputReader& input)
{
    const QByteArray raw = input.bytes(sizeof(T)).leftJustified(sizeof(T), '\0');
    T value;
    std::memcpy(&value, raw.constData(), sizeof(T));
    return value;
}

// Raw UTF-16 units, so unpaired surrogates are possible.
QString text(fuzz::InputReader& input)
{
    const std::size_t units = input.byte() % 16;
    QString result;
    for (std::size_t i = 0; i < units && !input.atEnd(); ++i)
        result.append(QChar(number<char16_t>(input)));
    return result;
}

QVariant tree(fuzz::InputReader& input, int depth)
{
    const int kind = input.byte() % (depth > 6 ? 10 : 15);
    switch (kind) {
    case 0:
        return bool(input.byte() & 1);
    case 1:
        return number<int>(input);
    case 2:
        return number<qlonglong>(input);
    case 3:
        return number<qulonglong>(input);
    case 4:
        return number<double>(input);
    case 5:
        return number<float>(input);
    case 6:
        return text(input);
    case 7: {
        const qint64 ms = number<qint64>(input);
        const int offset = number<qint16>(input) % (18 * 3600);
        if (input.byte() & 1)
            return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
        return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone(offset));
    }
    case 8:
        return QVariant(); // a null inside a container
    case 9:
        return QByteArray("bytes"); // a type the file cannot hold
    case 10:
    case 11: {
        QVariantMap map;
        QVariantHash hash;
        const int count = input.byte() % 5;
        for (int i = 0; i < count; ++i) {
            const QString key = text(input);
            map.insert(key, tree(input, depth + 1));
            hash.insert(key, map.value(key));
        }
        return kind == 10 ? QVariant(map) : QVariant(hash);
    }
    case 12:
    case 13: {
        QVariantList list;
        const int count = input.byte() % 5;
        for (int i = 0; i < count; ++i)
            list.append(tree(input, depth + 1));
        return list;
    }
    default: {
        QStringList strings;
        const int count = input.byte() % 5;
        for (int i = 0; i < count; ++i)
            strings.append(text(input));
        return strings;
    }
    }
}

// What the store is documented to give back for `value`, or nothing when it must
// refuse it: integers as qlonglong, whole numbers within 64 bits as qlonglong and
// others as double, dates in UTC, dictionaries as QVariantMap, arrays as QVariantList.
std::optional<QVariant> expected(const QVariant& value)
{
    constexpr double integerLimit = 9223372036854775808.0; // 2^63
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QVariant();
    case QMetaType::Bool:
        return value;
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QVariant(value.toLongLong());
    case QMetaType::ULongLong:
        if (value.toULongLong() > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return QVariant(value.toLongLong());
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return std::nullopt;
        if (std::trunc(number) == number && number >= -integerLimit && number < integerLimit)
            return QVariant(qlonglong(number));
        return QVariant(number);
    }
    case QMetaType::QString:
        return value;
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime().toUTC();
        if (!date.isValid() || date.date().year() < 1 || date.date().year() > 9999)
            return std::nullopt;
        return QVariant(date);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        QVariantMap result;
        const QVariantMap map = DefaultsStore::asMap(value).value_or(QVariantMap());
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const std::optional<QVariant> element = expected(it.value());
            if (!element)
                return std::nullopt;
            result.insert(it.key(), *element);
        }
        return result;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QVariantList result;
        for (const QVariant& element : value.toList()) {
            const std::optional<QVariant> kept = expected(element);
            if (!kept)
                return std::nullopt;
            result.append(*kept);
        }
        return result;
    }
    default:
        return std::nullopt;
    }
}

QString folder()
{
    // libFuzzer ends a timed run without destructors; scripts/fuzz points TMPDIR at a
    // folder of its own (in /dev/shm when there is one) and removes it.
    static const std::unique_ptr<QTemporaryDir> directory
        = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillcraft-fuzz-XXXXXX"));
    return directory->path();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = folder() + QStringLiteral("/defaults.json");
    QFile::remove(path);

    fuzz::InputReader input(data, size);
    const QString key = text(input);
    const QVariant value = tree(input, 0);
    const std::optional<QVariant> promised = expected(value);

    DefaultsStore writer(path);
    const bool accepted = writer.setValue(key, value);
    fuzz::check(accepted == promised.has_value(), accepted ? "an unsupported value was stored" : "a value was refused");
    if (!accepted) {
        fuzz::check(!QFile::exists(path), "a refused value was written");
        return 0;
    }
    fuzz::check(fuzz::sameValue(writer.value(key), *promised), "the writer holds another value than it was given");
    DefaultsStore reader(path);
    fuzz::check(fuzz::sameValue(reader.value(key), *promised), "the file gives back another value than was written");
    fuzz::check(reader.keys() == writer.keys(), "the file holds other keys");
    return 0;
}
