#pragma once

#include "assistant/writeback/FieldWriter.h"
#include "assistant/writeback/Paste.h"
#include "core/TextEdit.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

namespace quillcraft {

class Accessibility;
class Clipboard;
class Clock;
class FocusedField;
class FrontmostApp;
class KeySynthesizer;

// Writes fixes and rewrites into another application's field: through the
// accessibility interface when it can, else by selecting the range and pasting,
// and onto the clipboard when neither places the text. Every write re-reads the
// field and refuses to go over text that moved on; every failure ends in one
// notice. One write (or one chain of writes) at a time; all waits are on the clock.
class EditApplier final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool success)>;

    EditApplier(Accessibility& accessibility, FrontmostApp& frontmost, Clipboard& clipboard, KeySynthesizer& keys,
        Clock& clock, QObject* parent = nullptr);
    ~EditApplier() override;

    // Every notice, already worded for this desktop.
    std::function<void(const QString&)> onNotice;
    // Fields that should be pasted into even when an accessibility write would
    // work (one that loses its undo history on such a write, say). Web content
    // and forced paste always paste.
    std::function<bool(const FocusedField&)> prefersPaste;

    void setForcePaste(bool force) { m_forcePaste = force; }
    // From the start of a write (or of a chain) until its outcome is known.
    bool isApplying() const { return m_applying; }

    // Writes one edit computed against field's snapshot. Written edits leave the
    // caret right after the replacement. done reports whether the text was placed;
    // it may start the next write. A call while isApplying() is ignored and done
    // is not called.
    void apply(const TextEdit& edit, const FocusedField& field, Done done);

    // Fix all: edits ordered from the end of the text to its start, all computed
    // against field's text. Stops at the first failure, or when the text at the
    // next edit's range changed, saying how many were applied. done(true) only
    // when all were. Ignored, like apply, while isApplying().
    void applyInOrder(const QList<TextEdit>& edits, const FocusedField& field, Done done);

    // Puts text on the clipboard and shows notice, or says that it could not.
    void copy(const QString& text, const QString& notice);

private:
    struct Chain;
    using Finished = std::function<void(bool placed)>;

    bool takesPastePath(const FocusedField& field) const;
    void write(const TextEdit& edit, const FocusedField& field, Finished finished);
    void onWritten(FieldWriter::WriteResult result, const TextEdit& edit, const FocusedField& field, Finished finished);
    void writeByPaste(const TextEdit& edit, const FocusedField& field, Finished finished);
    void onPasted(Paste::Result result, const TextEdit& edit, const FocusedField& field, Finished finished);
    // copied and notCopied may hold %1 for app.
    void copyThen(const QString& text, const QString& copied, const QString& notCopied, const QString& app,
        std::function<void()> then);
    void step(const std::shared_ptr<Chain>& chain, const FocusedField& field);
    void endChain(const std::shared_ptr<Chain>& chain, bool success);
    // text may hold %1 for app.
    void notify(const QString& text, const QString& app = {}) const;

    Clipboard& m_clipboard;
    FieldWriter m_writer;
    Paste m_paste;
    bool m_forcePaste = false;
    bool m_applying = false;
};

} // namespace quillcraft
