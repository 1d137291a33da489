#include "FieldWriter.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "platform/AX.h"

namespace quillcraft {

FieldWriter::FieldWriter(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{
}

FieldWriter::~FieldWriter() = default;

void FieldWriter::select(const FocusedField& field, TextRange range, Selected done)
{
    if (isBusy()) {
        qCWarning(lcAssistant) << "FieldWriter: a select was refused while another operation runs";
        return done(false);
    }
    m_field = field;
    m_edit.reset();
    m_selected = std::move(done);
    startSelecting(range);
}

void FieldWriter::write(const FocusedField& field, const TextEdit& edit, Written done)
{
    if (isBusy()) {
        qCWarning(lcAssistant) << "FieldWriter: a write was refused while another operation runs";
        return done(WriteResult::untouched);
    }
    const std::optional<QString> expected = edit.apply(field.text());
    if (!expected)
        return done(WriteResult::untouched);
    // The user typed since the snapshot: nothing is written over their text.
    // Looked at before selecting too, or their next key would replace the range.
    if (const std::optional<QString> before = AX::string(*field.element(), AX::value);
        before && *before != field.text())
        return done(WriteResult::stale);

    m_field = field;
    m_edit = edit;
    m_expected = *expected;
    m_written = std::move(done);
    startSelecting(TextRange { edit.location, edit.length });
}

AccessibilityElement& FieldWriter::element() const
{
    return *m_field->element();
}

void FieldWriter::startSelecting(TextRange range)
{
    m_range = range;
    if (element().setAttribute(AX::selectedTextRange, range) != AXError::success)
        return onSelected(false);
    confirmSelection(1);
}

void FieldWriter::confirmSelection(int read)
{
    if (AX::range(element(), AX::selectedTextRange) == m_range)
        return onSelected(true);
    // The last failed read waits its interval too before giving up.
    m_clock.after(confirmIntervalMs, this, [this, read] {
        if (read < confirmReads)
            confirmSelection(read + 1);
        else
            onSelected(false);
    });
}

void FieldWriter::onSelected(bool selected)
{
    if (!m_edit)
        return finishSelect(selected);
    if (!selected)
        return finishWrite(WriteResult::untouched);
    if (AX::string(element(), AX::value) != m_field->text())
        return finishWrite(WriteResult::stale);

    m_setError = element().setAttribute(AX::selectedText, m_edit->replacement);
    switch (m_setError) {
    case AXError::notImplemented:
    case AXError::attributeUnsupported:
    case AXError::illegalArgument:
    case AXError::failure:
        return finishWrite(WriteResult::untouched);
    default:
        break; // success, or no answer in time: the value tells what happened
    }
    confirmValue(0);
}

// One read now and up to confirmReads more, confirmIntervalMs apart.
void FieldWriter::confirmValue(int read)
{
    const std::optional<QString> value = AX::string(element(), AX::value);
    if (value != m_expected && read < confirmReads) {
        m_clock.after(confirmIntervalMs, this, [this, read] { confirmValue(read + 1); });
        return;
    }
    if (!value)
        return finishWrite(WriteResult::changedDifferently);
    if (*value == m_expected)
        return finishWrite(WriteResult::written);
    if (*value == m_field->text())
        return finishWrite(m_setError == AXError::success ? WriteResult::untouched : WriteResult::changedDifferently);
    finishWrite(WriteResult::changedDifferently);
}

// The callbacks may start the next operation or destroy this object: the state
// is cleared first and nothing of this is touched after the call.
void FieldWriter::finishSelect(bool selected)
{
    Selected done = std::move(m_selected);
    m_selected = nullptr;
    m_field.reset();
    done(selected);
}

void FieldWriter::finishWrite(WriteResult result)
{
    Written done = std::move(m_written);
    m_written = nullptr;
    m_field.reset();
    m_edit.reset();
    done(result);
}

} // namespace quillcraft
