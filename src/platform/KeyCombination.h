#pragma once

#include <Qt>

namespace quillcraft {

// A key together with the modifiers that must be held with it.
struct KeyCombination {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;

    friend bool operator==(const KeyCombination& a, const KeyCombination& b)
    {
        return a.key == b.key && a.modifiers == b.modifiers;
    }
};

} // namespace quillcraft
