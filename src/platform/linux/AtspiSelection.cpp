#include "AtspiSelection.h"

#include "platform/linux/AtspiSupport.h"

#include <algorithm>

namespace quillcraft {

using namespace atspi;

AtspiSelection::AtspiSelection(AtspiAccessible* accessible, AtspiText* text, Habits& habits)
    : m_accessible(accessible)
    , m_text(text)
    , m_habits(habits)
{
}

AXError AtspiSelection::select(int start, int end)
{
    CallError error;
    const bool replaced = atspi_text_set_selection(m_text, 0, start, end, error.out());
    if (error)
        return error.code();
    // A TRUE that left no selection at all did not select: the caret only moved
    // (GTK 4.8). Any other answer is left to the caller's read-back, since some
    // toolkits show a new selection only a moment later.
    if (replaced && hasSelection())
        return AXError::success;
    // GTK 3 only replaces an existing selection; with none it answers FALSE.
    return add(start, end);
}

AXError AtspiSelection::add(int start, int end)
{
    if (m_habits.selectsWithoutAnswer) {
        if (sendAddWithoutAnswer(start, end) && shows(start, end))
            return AXError::success;
        // Not this time: ask the ordinary way and learn again.
        m_habits.selectsWithoutAnswer = false;
    }
    CallError error;
    const bool added = atspi_text_add_selection(m_text, start, end, error.out());
    if (!error && added)
        return AXError::success;
    // The answer may be missing or wrong while the selection was made all the same.
    if (shows(start, end)) {
        if (error)
            m_habits.selectsWithoutAnswer = true;
        return AXError::success;
    }
    return error ? error.code() : AXError::failure;
}

// Calls to one application go through one connection in order, so the read-back
// that follows is answered after the selection was made.
bool AtspiSelection::sendAddWithoutAnswer(int start, int end) const
{
    const AtspiApplication* app = m_accessible->parent.app;
    const char* path = m_accessible->parent.path;
    if (!app || !app->bus || !app->bus_name || !path)
        return false;
    DBusMessage* message = dbus_message_new_method_call(app->bus_name, path, ATSPI_DBUS_INTERFACE_TEXT, "AddSelection");
    if (!message)
        return false;
    dbus_int32_t first = start;
    dbus_int32_t last = end;
    bool sent = dbus_message_append_args(message, DBUS_TYPE_INT32, &first, DBUS_TYPE_INT32, &last, DBUS_TYPE_INVALID)
        != FALSE;
    if (sent) {
        dbus_message_set_no_reply(message, TRUE);
        sent = dbus_connection_send(app->bus, message, nullptr) != FALSE;
    }
    dbus_message_unref(message);
    return sent;
}

bool AtspiSelection::shows(int start, int end) const
{
    CallError error;
    if (atspi_text_get_n_selections(m_text, error.out()) < 1 || error)
        return false;
    const Owned<AtspiRange> range(atspi_text_get_selection(m_text, 0, error.out()));
    if (error || !range)
        return false;
    return std::min(range->start_offset, range->end_offset) == start
        && std::max(range->start_offset, range->end_offset) == end;
}

bool AtspiSelection::hasSelection() const
{
    CallError error;
    const gint count = atspi_text_get_n_selections(m_text, error.out());
    return !error && count > 0;
}

} // namespace quillcraft
