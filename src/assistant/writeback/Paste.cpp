#include "Paste.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "platform/AX.h"
#include "platform/Accessibility.h"
#include "platform/Clipboard.h"
#include "platform/FrontmostApp.h"
#include "platform/KeySynthesizer.h"

#include <QPointer>

#include <optional>

namespace quillcraft {

// One placement: its own steps, each scheduled on the clock with itself as the
// context, and gone (deleteLater) once it has reported.
class Paste::Placement final : public QObject {
public:
    Placement(Paste& paste, const TextEdit& edit, const Field& field, Done done)
        : QObject(&paste)
        , m_paste(paste)
        , m_edit(edit)
        , m_field(field)
        , m_done(std::move(done))
    {
    }

    void start()
    {
        if (auto refusal = check())
            return finish(*refusal);
        // Nothing to replace and nothing to insert: BackSpace would delete the
        // character before the caret, so no key is sent at all.
        if (m_edit.length == 0 && m_edit.replacement.isEmpty())
            return finish(Result::pasted);
        if (isDeletion())
            return waitForModifiers(0);
        // Saving reads the other program's clipboard: the answer comes later.
        m_paste.m_clipboard.save(this, [this](std::optional<ClipboardContents> saved) { onSaved(std::move(saved)); });
    }

private:
    bool isDeletion() const { return m_edit.replacement.isEmpty(); }

    // The checks made before any keystroke: same element focused, same text, and
    // the selection is exactly the edit's range.
    std::optional<Result> check() const
    {
        const ElementRef focused = m_paste.m_accessibility.focusedElement();
        if (!focused || !m_field.element || !focused->isEqual(*m_field.element))
            return Result::notFocused;
        const std::optional<QString> value = AX::string(*m_field.element, AX::value);
        if (!value || *value != m_field.text)
            return Result::changed;
        const std::optional<TextRange> selection = AX::range(*m_field.element, AX::selectedTextRange);
        if (!selection || selection->location != m_edit.location || selection->length != m_edit.length)
            return Result::changed;
        return std::nullopt;
    }

    bool fieldShowsEdit() const
    {
        const std::optional<QString> value = AX::string(*m_field.element, AX::value);
        return value && Paste::shows(*value, m_edit, m_field.text.size());
    }

    void onSaved(std::optional<ClipboardContents> saved)
    {
        m_saved = std::move(saved);
        takeClipboard(true);
    }

    // Puts the replacement on the clipboard, then waits for the keystroke or, when
    // the keystroke is not to be sent, ends slow with the fix left there for the user.
    void takeClipboard(bool thenPaste)
    {
        m_paste.m_clipboard.setText(m_edit.replacement, this, [this, thenPaste](std::optional<quint64> changeCount) {
            if (!changeCount) {
                qCWarning(lcAssistant) << "Paste: the clipboard could not be taken";
                return finish(Result::slow);
            }
            m_changeCount = *changeCount;
            m_ownsClipboard = true;
            if (!thenPaste)
                return finish(Result::slow);
            waitForModifiers(0);
        });
    }

    // Someone wrote to the clipboard after us (a password manager clearing it, say):
    // Control+V would paste their contents over the selection. What they wrote is
    // newer than what was saved, so the saved contents are never put back now.
    void onClipboardTakenOver()
    {
        qCInfo(lcAssistant) << "Paste: another program took the clipboard before the keystroke";
        m_saved.reset();
        m_ownsClipboard = false;
        const bool again = !m_retook;
        m_retook = true;
        takeClipboard(again);
    }

    // A paste sent while the user still holds Alt or Shift (say, from the
    // shortcut that started all this) would arrive as another shortcut.
    void waitForModifiers(int attempt)
    {
        if (!m_paste.m_keys.modifiersHeld())
            return sendKey(attempt);
        if (attempt + 1 >= Paste::modifierAttempts) {
            qCInfo(lcAssistant) << "Paste: modifiers held too long; nothing was sent";
            return finish(Result::slow);
        }
        m_paste.m_clock.after(Paste::pollIntervalMs, this, [this, attempt] { waitForModifiers(attempt + 1); });
    }

    void sendKey(int modifierAttempt)
    {
        // Time has passed since the first checks: look again right before the keystroke.
        if (auto refusal = check()) {
            restoreClipboard();
            return finish(*refusal);
        }
        if (!isDeletion() && m_paste.m_clipboard.changeCount() != m_changeCount)
            return onClipboardTakenOver();
        switch (m_paste.m_keys.send(isDeletion() ? SyntheticKey::deleteBackward : SyntheticKey::paste)) {
        case KeySendResult::sent:
            break;
        case KeySendResult::modifiersHeld:
            return waitForModifiers(modifierAttempt + 1);
        case KeySendResult::failed:
            // The replacement stays on the clipboard for the user to paste by hand.
            return finish(Result::slow);
        }
        if (fieldShowsEdit())
            return succeed();
        m_paste.m_clock.after(Paste::pollIntervalMs, this, [this] { poll(0); });
    }

    void poll(int attempt)
    {
        if (fieldShowsEdit())
            return succeed();
        if (attempt + 1 > Paste::pollAttempts - 1)
            return finish(Result::slow);
        m_paste.m_clock.after(Paste::pollIntervalMs, this, [this, attempt] { poll(attempt + 1); });
    }

    void succeed()
    {
        restoreClipboard();
        finish(Result::pasted);
    }

    void restoreClipboard()
    {
        // Only our own contents are replaced: anything written since is newer and wins.
        if (m_ownsClipboard && m_saved && m_paste.m_clipboard.changeCount() == m_changeCount)
            m_paste.m_clipboard.restore(*m_saved, m_changeCount);
        m_ownsClipboard = false;
    }

    void finish(Result result)
    {
        if (m_finished)
            return;
        m_finished = true;
        deleteLater();
        // The callback may well destroy the Paste, and this with it.
        if (Done done = std::move(m_done))
            done(result);
    }

    Paste& m_paste;
    const TextEdit m_edit;
    const Field m_field;
    Done m_done;
    std::optional<ClipboardContents> m_saved;
    quint64 m_changeCount = 0;
    bool m_ownsClipboard = false;
    bool m_retook = false;
    bool m_finished = false;
};

Paste::Paste(Accessibility& accessibility, FrontmostApp& frontmost, Clipboard& clipboard, KeySynthesizer& keys,
    Clock& clock, QObject* parent)
    : QObject(parent)
    , m_accessibility(accessibility)
    , m_frontmost(frontmost)
    , m_clipboard(clipboard)
    , m_keys(keys)
    , m_clock(clock)
{
}

Paste::~Paste() = default;

void Paste::replaceSelection(const TextEdit& edit, const Field& field, Done done)
{
    if (m_frontmost.frontmostPid() == field.pid)
        return paste(edit, field, std::move(done));
    m_frontmost.activate(field.pid);
    m_clock.after(activationDelayMs, this,
        [this, edit, field, done = std::move(done)]() mutable { paste(edit, field, std::move(done)); });
}

void Paste::paste(const TextEdit& edit, const Field& field, Done done)
{
    auto* placement = new Placement(*this, edit, field, std::move(done)); // owned by this; deletes itself
    placement->start();
}

bool Paste::shows(const QString& value, const TextEdit& edit, qsizetype snapshotLength)
{
    const qsizetype replacementLength = edit.replacement.size();
    if (value.size() != snapshotLength - edit.length + replacementLength)
        return false;
    if (edit.location < 0 || value.size() < edit.location + replacementLength)
        return false;
    return QStringView(value).mid(edit.location, replacementLength) == edit.replacement;
}

} // namespace quillcraft
