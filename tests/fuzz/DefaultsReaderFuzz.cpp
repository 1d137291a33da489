// The preferences file's reader. Whatever the bytes, they are either refused with a
// reason (and the file is set aside) or give values that can be written back as they
// were read: a read-modify-write of any value read must never fail or change it.
#include "DefaultsValue.h"
#include "FuzzSupport.h"

#include "settings/DefaultsFormat.h"

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString problem;
    const std::optional<QJsonObject> values = DefaultsFormat::read(bytes, problem);
    if (!values) {
        fuzz::check(!problem.isEmpty(), "a refused file has no reason");
        return 0;
    }
    QJsonObject rewritten;
    for (auto it = values->begin(); it != values->end(); ++it) {
        const QVariant value = DefaultsFormat::decode(it.value());
        const std::optional<QJsonValue> encoded = DefaultsFormat::encode(value);
        fuzz::check(encoded.has_value(), "a value read from the file cannot be written back");
        fuzz::check(fuzz::sameValue(DefaultsFormat::decode(*encoded), value), "a value changed on its way back");
        const QString key = DefaultsFormat::unescapedKey(it.key());
        rewritten.insert(DefaultsFormat::escapedKey(key), *encoded);
    }
    QString again;
    const std::optional<QJsonObject> reread = DefaultsFormat::read(DefaultsFormat::write(rewritten), again);
    fuzz::check(reread.has_value(), "a written file cannot be read");
    fuzz::check(reread->keys() == rewritten.keys(), "a written file holds other keys");
    for (auto it = reread->begin(); it != reread->end(); ++it) {
        fuzz::check(
            fuzz::sameValue(DefaultsFormat::decode(it.value()), DefaultsFormat::decode(rewritten.value(it.key()))),
            "a written value reads back differently");
    }
    return 0;
}
