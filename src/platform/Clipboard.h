#pragma once

#include "platform/ClipboardFormat.h"

#include <QtGlobal>

#include <functional>
#include <optional>

class QObject;

namespace quillcraft {

// The system clipboard. Reading another program's clipboard takes round trips
// to that program, so every call that can wait answers through a callback on
// the GUI thread, and only while context is alive.
class Clipboard {
public:
    using SaveDone = std::function<void(std::optional<ClipboardContents>)>;
    using SetDone = std::function<void(std::optional<quint64> changeCount)>;

    Clipboard() = default;
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    virtual ~Clipboard();

    // Whether this backend can reach a clipboard at all.
    virtual bool isAvailable() const = 0;

    // Copies every readable format. Empty contents when the clipboard is empty;
    // nullopt when its owner did not answer at all.
    virtual void save(const QObject* context, SaveDone done) = 0;

    // Replaces the contents with plain text. done receives the change count
    // right after the write, or nullopt when the clipboard could not be taken.
    virtual void setText(const QString& text, const QObject* context, SetDone done) = 0;

    // Offers saved contents again (empty contents empty the clipboard), but only
    // while the change count still equals ifChangeCount: newer contents win.
    virtual void restore(const ClipboardContents& saved, quint64 ifChangeCount) = 0;

    // Grows whenever the clipboard gets new contents, from us or anyone else.
    virtual quint64 changeCount() const = 0;
};

} // namespace quillcraft
