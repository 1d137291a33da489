#include "Xcb.h"

#include <xcb/xcb.h>

namespace quillcraft {

uint32_t internAtom(xcb_connection_t* connection, QByteArrayView name)
{
    const auto reply = xcbPtr(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
}

} // namespace quillcraft
