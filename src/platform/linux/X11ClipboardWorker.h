#pragma once

#include "platform/ClipboardFormat.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>

namespace quillcraft {

// Owns the CLIPBOARD selection on a private X connection, on a thread of its
// own that never talks to other applications' accessibility interfaces: a
// target that reads the clipboard synchronously while our GUI thread waits on
// it over AT-SPI gets its answer from here instead of deadlocking.
//
// Created on the GUI thread, then moved to its thread; every other member
// function runs on that thread.
class X11ClipboardWorker final : public QObject {
    Q_OBJECT
public:
    X11ClipboardWorker(const QByteArray& displayName, std::atomic<quint64>& changeCount);
    ~X11ClipboardWorker() override;

    bool isConnected() const;

    // Starts watching the connection; call once on the worker thread.
    void start();

    // Every readable format of the current clipboard (see Clipboard::save).
    std::optional<ClipboardContents> save();

    // Takes the clipboard with these contents; returns the change count after,
    // or nullopt when ownership could not be confirmed.
    std::optional<quint64> own(const ClipboardContents& contents);

    // Puts contents back while the change count is still ifChangeCount and we
    // still own the clipboard; empty contents give the clipboard up.
    void restore(const ClipboardContents& contents, quint64 ifChangeCount);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace quillcraft
