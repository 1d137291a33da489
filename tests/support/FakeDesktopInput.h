#pragma once

#include "platform/Clipboard.h"
#include "platform/HotkeyGrabber.h"
#include "platform/KeySynthesizer.h"

#include <QHash>
#include <QList>

namespace quillcraft::test {

// A clipboard in memory. Callbacks run at once unless `deferred` is set, in
// which case they wait for runDeferred() (the way a real owner answers later).
class FakeClipboard final : public Clipboard {
public:
    bool isAvailable() const override { return true; }
    void save(const QObject* context, SaveDone done) override;
    void setText(const QString& text, const QObject* context, SetDone done) override;
    void restore(const ClipboardContents& saved, quint64 ifChangeCount) override;
    quint64 changeCount() const override { return count; }

    // Another program writes to the clipboard.
    void writeFromElsewhere(const ClipboardContents& newContents);
    // The plain text on the clipboard, as a paste would insert it.
    QString text() const;
    void runDeferred();

    // nullopt: the owner does not answer.
    std::optional<ClipboardContents> contents = ClipboardContents {};
    quint64 count = 0;
    bool refuseOwnership = false;
    bool deferred = false;
    int saves = 0;
    int writes = 0;
    int restores = 0;

private:
    QList<std::function<void()>> m_deferred;
};

// Keystrokes into a pretend field: a paste inserts the clipboard's text over
// the selection unless `ignoreKeys` is set.
class FakeKeys final : public KeySynthesizer {
public:
    bool isAvailable() const override { return true; }
    bool modifiersHeld() const override { return heldChecks-- > 0; }
    KeySendResult send(SyntheticKey key) override;

    QList<SyntheticKey> sent;
    // Answers "held" to this many questions about modifiers before letting go.
    mutable int heldChecks = 0;
    bool fail = false;
    // What a sent key does to the field (set by the test).
    std::function<void(SyntheticKey)> onSend;
};

// Hot keys without a display: tests grab, and press, by hand.
class FakeGrabber final : public HotkeyGrabber {
public:
    bool isAvailable() const override { return true; }
    GrabResult grab(quint32 id, KeyCombination combination) override;
    void ungrab(quint32 id) override;
    void press(const KeyCombination& combination);

    QHash<quint32, KeyCombination> grabs;
    QList<KeyCombination> takenElsewhere;
    // Combinations whose key no key of the keyboard types.
    QList<KeyCombination> withoutKey;
    int grabCalls = 0;
};

} // namespace quillcraft::test
