#pragma once

#include <QDateTime>
#include <QVariant>

// Value trees compared the way the preferences store promises to keep them: same type
// at every level, not merely values that convert to each other.
namespace quillcraft::fuzz {

inline bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    switch (a.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap left = a.toMap();
        const QVariantMap right = b.toMap();
        if (left.keys() != right.keys())
            return false;
        for (auto it = left.cbegin(); it != left.cend(); ++it) {
            if (!sameValue(it.value(), right.value(it.key())))
                return false;
        }
        return true;
    }
    case QMetaType::QVariantList: {
        const QVariantList left = a.toList();
        const QVariantList right = b.toList();
        if (left.size() != right.size())
            return false;
        for (qsizetype i = 0; i < left.size(); ++i) {
            if (!sameValue(left.at(i), right.at(i)))
                return false;
        }
        return true;
    }
    case QMetaType::QDateTime:
        return a.toDateTime() == b.toDateTime() && a.toDateTime().timeSpec() == b.toDateTime().timeSpec();
    default:
        return a == b;
    }
}

} // namespace quillcraft::fuzz
