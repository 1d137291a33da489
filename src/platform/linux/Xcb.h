#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>
#include <memory>

struct xcb_connection_t; // NOLINT: xcb's own spelling, so no xcb header here

namespace quillcraft {

// xcb hands replies, events and errors over as malloc'd memory for the caller to free.
struct XcbFree {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T> using XcbPtr = std::unique_ptr<T, XcbFree>;

// Takes ownership of what an xcb call returned (null too), its type deduced.
template <typename T> XcbPtr<T> xcbPtr(T* memory)
{
    return XcbPtr<T>(memory);
}

// The atom with this name, created when new; XCB_ATOM_NONE (0) when the server
// does not answer. Waits for the reply.
uint32_t internAtom(xcb_connection_t* connection, QByteArrayView name);

} // namespace quillcraft
