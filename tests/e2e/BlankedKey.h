#pragma once

#include <memory>

namespace quillcraft::e2e {

// Takes every symbol off the key at a key code, as on a keyboard without that
// key, and puts them back when it goes.
class BlankedKey final {
public:
    explicit BlankedKey(unsigned char keycode);
    ~BlankedKey();
    BlankedKey(const BlankedKey&) = delete;
    BlankedKey& operator=(const BlankedKey&) = delete;

    bool isBlanked() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace quillcraft::e2e
