#pragma once

#include "platform/KeyCombination.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>

namespace quillcraft {

class HotkeyGrabber;

// One system-wide shortcut that runs an action when pressed, whichever
// application is frontmost.
class Hotkey final : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 rewriteId = 1;
    static constexpr quint32 escapeId = 2;

    // Control+Alt+R, the rewrite shortcut.
    static KeyCombination defaultCombination();
    // The default shortcut as people read it.
    static QString display();

    Hotkey(HotkeyGrabber& grabber, quint32 id, std::function<void()> action, QObject* parent = nullptr);
    ~Hotkey() override;

    // Registers (or re-registers) the shortcut; false when it cannot be had.
    bool registerShortcut(KeyCombination combination = defaultCombination());
    // Removes the shortcut; safe when nothing is registered.
    void unregister();

    bool isRegistered() const { return m_registered; }
    quint32 id() const { return m_id; }

private:
    void onPressed(quint32 id);

    HotkeyGrabber& m_grabber;
    const quint32 m_id;
    std::function<void()> m_action;
    QMetaObject::Connection m_connection;
    bool m_registered = false;
};

} // namespace quillcraft
