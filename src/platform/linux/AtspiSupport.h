#pragma once

// Small RAII helpers over libatspi and GLib, for the backends' .cpp files only.

#include "platform/AccessibilityElement.h"

#include <atspi/atspi.h>

#include <memory>

namespace quillcraft::atspi {

struct Unref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using Ref = std::unique_ptr<T, Unref>;

// Plain structs that libatspi allocates (points, rectangles, ranges). Some calls
// hand one over even when they fail, so it is owned before the error is looked at.
struct Free {
    void operator()(gpointer data) const { g_free(data); }
};
template <typename T> using Owned = std::unique_ptr<T, Free>;

// Collects a call's GError and frees it.
class CallError final {
public:
    CallError() = default;
    ~CallError();
    CallError(const CallError&) = delete;
    CallError& operator=(const CallError&) = delete;

    GError** out() { return &m_error; }
    explicit operator bool() const { return m_error != nullptr; }
    // The failure as the program names it: no answer in time, no such method, or plain failure.
    AXError code() const;

private:
    GError* m_error = nullptr;
};

// A string that libatspi handed over, as a QString; frees it.
QString takeString(gchar* text);

// Whether the accessible's current state set holds the state; absent when the
// states cannot be read.
std::optional<bool> hasState(AtspiAccessible* accessible, AtspiStateType state);

} // namespace quillcraft::atspi
