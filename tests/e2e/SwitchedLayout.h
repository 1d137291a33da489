#pragma once

#include <QString>

namespace quillcraft::e2e {

// A keyboard layout set with setxkbmap, as a user with that layout alone has
// it, and "us" again when it goes, so later tests find the usual keyboard.
class SwitchedLayout final {
public:
    explicit SwitchedLayout(const QString& layout);
    ~SwitchedLayout();
    SwitchedLayout(const SwitchedLayout&) = delete;
    SwitchedLayout& operator=(const SwitchedLayout&) = delete;

    bool isSwitched() const { return m_switched; }

private:
    bool m_switched;
};

// setxkbmap with these arguments; true when it succeeded.
bool setLayout(const QString& layout);

} // namespace quillcraft::e2e
