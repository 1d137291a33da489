#include "EditApplier.h"

#include "assistant/FocusedField.h"
#include "core/Logging.h"
#include "core/PlatformWording.h"
#include "platform/AX.h"
#include "platform/Clipboard.h"

#include <QStringView>

namespace quillcraft {

namespace {

QString appNameOf(const FocusedField& field)
{
    return field.appName().isEmpty() ? QStringLiteral("this app") : field.appName();
}

// Whether the text at the edit's range is still what the edit was made for.
// Later edits lie further left, so the edits already written never move them;
// the user's typing either leaves the range alone or shows here.
bool stillHolds(const QString& current, const QString& original, const TextEdit& edit)
{
    const TextRange range { edit.location, edit.length };
    return range.liesInside(current.size()) && range.liesInside(original.size())
        && QStringView(current).mid(range.location, range.length)
        == QStringView(original).mid(range.location, range.length);
}

} // namespace

// A fix-all run: the edits still to write, and what they were computed against.
struct EditApplier::Chain {
    QList<TextEdit> edits;
    QString original;
    qsizetype total = 0;
    Done done;
};

EditApplier::EditApplier(Accessibility& accessibility, FrontmostApp& frontmost, Clipboard& clipboard,
    KeySynthesizer& keys, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clipboard(clipboard)
    , m_writer(clock)
    , m_paste(accessibility, frontmost, clipboard, keys, clock)
{
}

EditApplier::~EditApplier() = default;

void EditApplier::apply(const TextEdit& edit, const FocusedField& field, Done done)
{
    if (m_applying) {
        qCInfo(lcAssistant) << "EditApplier: an edit arrived while another write runs; ignored";
        return;
    }
    m_applying = true;
    // The flag is down before done runs, so done may start the next write;
    // nothing of this is touched after it (it may destroy this object).
    write(edit, field, [this, done = std::move(done)](bool placed) {
        m_applying = false;
        if (done)
            done(placed);
    });
}

void EditApplier::applyInOrder(const QList<TextEdit>& edits, const FocusedField& field, Done done)
{
    if (m_applying) {
        qCInfo(lcAssistant) << "EditApplier: fix all arrived while another write runs; ignored";
        return;
    }
    m_applying = true;
    auto chain = std::make_shared<Chain>(Chain { edits, field.text(), edits.size(), std::move(done) });
    step(chain, field);
}

void EditApplier::copy(const QString& text, const QString& notice)
{
    copyThen(text, notice, QStringLiteral("Quillcraft could not put the text on the clipboard."), {}, {});
}

bool EditApplier::takesPastePath(const FocusedField& field) const
{
    return m_forcePaste || field.isWebContent() || (prefersPaste && prefersPaste(field));
}

void EditApplier::write(const TextEdit& edit, const FocusedField& field, Finished finished)
{
    // An edit that does not fit the snapshot was made for another text.
    if (!edit.apply(field.text())) {
        notify(QStringLiteral("The text changed, so that edit was skipped."));
        return finished(false);
    }
    if (takesPastePath(field))
        return writeByPaste(edit, field, std::move(finished));
    m_writer.write(field, edit, [this, edit, field, finished = std::move(finished)](FieldWriter::WriteResult result) {
        onWritten(result, edit, field, finished);
    });
}

void EditApplier::onWritten(
    FieldWriter::WriteResult result, const TextEdit& edit, const FocusedField& field, Finished finished)
{
    using WriteResult = FieldWriter::WriteResult;
    switch (result) {
    case WriteResult::written: {
        // Where the user would have been had they typed it; placing it is no part of success.
        const TextRange caret { edit.location + edit.replacement.size(), 0 };
        m_writer.select(field, caret, [finished = std::move(finished)](bool) { finished(true); });
        return;
    }
    case WriteResult::stale:
        notify(QStringLiteral("The text changed, so that edit was skipped."));
        return finished(false);
    case WriteResult::changedDifferently:
        notify(QStringLiteral("%1 changed the text differently than expected. Check it."), appNameOf(field));
        return finished(false);
    case WriteResult::untouched:
        return writeByPaste(edit, field, std::move(finished));
    }
}

void EditApplier::writeByPaste(const TextEdit& edit, const FocusedField& field, Finished finished)
{
    // Selecting first would move the user's caret in a text they are typing in.
    if (const std::optional<QString> value = AX::string(*field.element(), AX::value); value && *value != field.text()) {
        notify(QStringLiteral("The text changed, so that edit was skipped."));
        return finished(false);
    }
    const TextRange range { edit.location, edit.length };
    m_writer.select(field, range, [this, edit, field, finished = std::move(finished)](bool selected) {
        if (selected) {
            m_paste.replaceSelection(edit, Paste::Field { field.element(), field.pid(), field.text() },
                [this, edit, field, finished](Paste::Result result) { onPasted(result, edit, field, finished); });
            return;
        }
        const QString app = appNameOf(field);
        // A deletion has nothing to paste by hand: the clipboard keeps what the user had.
        if (edit.replacement.isEmpty()) {
            notify(QStringLiteral("%1 did not let Quillcraft change the text, so that edit was skipped."), app);
            return finished(false);
        }
        copyThen(edit.replacement,
            QStringLiteral("Copied. %1 did not let Quillcraft place the text, so paste it with ⌘V."),
            QStringLiteral("%1 did not let Quillcraft place the text, and the clipboard could not be used."), app,
            [finished] { finished(false); });
    });
}

void EditApplier::onPasted(Paste::Result result, const TextEdit& edit, const FocusedField& field, Finished finished)
{
    const bool deletion = edit.replacement.isEmpty();
    const QString app = appNameOf(field);
    auto failed = [finished] { finished(false); };
    switch (result) {
    case Paste::Result::pasted:
        return finished(true);
    case Paste::Result::notFocused:
        if (deletion) {
            notify(QStringLiteral("The field lost focus, so that edit was skipped."));
            return failed();
        }
        return copyThen(edit.replacement, QStringLiteral("Copied. The field lost focus, so paste it with ⌘V."),
            QStringLiteral("The field lost focus and the clipboard could not be used, so the text was not placed."), {},
            failed);
    case Paste::Result::changed:
        notify(QStringLiteral("The text or selection changed, so that edit was skipped."));
        return failed();
    case Paste::Result::slow:
        if (deletion) {
            notify(QStringLiteral("%1 did not respond. Check the text."), app);
            return failed();
        }
        // Paste leaves the fix on the clipboard, unless it never got the clipboard at
        // all: offered again so that the notice's promise holds.
        return copyThen(edit.replacement,
            QStringLiteral("%1 did not paste as expected. Check the text. The fix is on your clipboard."),
            QStringLiteral("%1 did not paste as expected. Check the text."), app, failed);
    }
}

void EditApplier::copyThen(const QString& text, const QString& copied, const QString& notCopied, const QString& app,
    std::function<void()> then)
{
    m_clipboard.setText(
        text, this, [this, copied, notCopied, app, then = std::move(then)](std::optional<quint64> count) {
            if (!count)
                qCWarning(lcAssistant) << "EditApplier: the clipboard could not be taken";
            notify(count ? copied : notCopied, app);
            if (then)
                then();
        });
}

void EditApplier::step(const std::shared_ptr<Chain>& chain, const FocusedField& field)
{
    if (chain->edits.isEmpty())
        return endChain(chain, true);
    const qsizetype applied = chain->total - chain->edits.size();
    const TextEdit edit = chain->edits.first();
    if (!stillHolds(field.text(), chain->original, edit)) {
        notify(QStringLiteral("Applied %1 of %2 fixes. The text changed, so the rest were skipped.")
                   .arg(applied)
                   .arg(chain->total));
        return endChain(chain, false);
    }
    write(edit, field, [this, chain, field, applied](bool placed) {
        if (!placed)
            return endChain(chain, false); // the write said what went wrong
        chain->edits.removeFirst();
        const std::optional<FocusedField> fresh = field.refreshed();
        if (fresh)
            return step(chain, *fresh);
        if (!chain->edits.isEmpty()) {
            notify(QStringLiteral("Applied %1 of %2 fixes. Check the text.").arg(applied + 1).arg(chain->total));
            return endChain(chain, false);
        }
        endChain(chain, true);
    });
}

void EditApplier::endChain(const std::shared_ptr<Chain>& chain, bool success)
{
    m_applying = false;
    const Done done = std::move(chain->done);
    chain->done = nullptr;
    if (done)
        done(success);
}

// Worded before the name goes in: an application's own name is never reworded.
void EditApplier::notify(const QString& text, const QString& app) const
{
    if (!onNotice)
        return;
    const QString worded = PlatformWording::apply(text);
    onNotice(app.isNull() ? worded : worded.arg(app));
}

} // namespace quillcraft
