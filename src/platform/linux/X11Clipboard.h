#pragma once

#include "platform/Clipboard.h"

#include <memory>

namespace quillcraft {

// The X11 CLIPBOARD selection, owned and read on a thread with its own X
// connection (see X11ClipboardWorker). Call from the GUI thread.
class X11Clipboard final : public Clipboard {
public:
    // displayName empty: Qt's display when Qt runs on X11, else $DISPLAY.
    explicit X11Clipboard(const QByteArray& displayName = {});
    ~X11Clipboard() override;

    bool isAvailable() const override;
    void save(const QObject* context, SaveDone done) override;
    void setText(const QString& text, const QObject* context, SetDone done) override;
    void restore(const ClipboardContents& saved, quint64 ifChangeCount) override;
    quint64 changeCount() const override;

    // The formats offered for plain text, as other programs ask for it.
    static ClipboardContents textContents(const QString& text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace quillcraft
