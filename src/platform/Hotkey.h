#pragma once

#include "platform/HotkeyGrabber.h"
#include "platform/KeyCombination.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>

namespace quillcraft {

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
    // A combination as people read it, for example "Ctrl+Alt+R".
    static QString display(KeyCombination combination);

    Hotkey(HotkeyGrabber& grabber, quint32 id, std::function<void()> action, QObject* parent = nullptr);
    ~Hotkey() override;

    // Registers (or re-registers) the shortcut; false when it cannot be had,
    // and refusal() says why.
    bool registerShortcut(KeyCombination combination = defaultCombination());
    // Removes the shortcut; safe when nothing is registered.
    void unregister();

    bool isRegistered() const { return m_registered; }
    // How the last registration ended; `grabbed` before the first one.
    GrabResult lastResult() const { return m_lastResult; }
    // Why the last registration failed, as one sentence for the user; empty
    // when it did not fail.
    QString refusal() const;
    quint32 id() const { return m_id; }

private:
    void onPressed(quint32 id);

    HotkeyGrabber& m_grabber;
    const quint32 m_id;
    std::function<void()> m_action;
    QMetaObject::Connection m_connection;
    bool m_registered = false;
    KeyCombination m_combination;
    GrabResult m_lastResult = GrabResult::grabbed;
};

} // namespace quillcraft
