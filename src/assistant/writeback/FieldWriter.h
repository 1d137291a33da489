#pragma once

#include "assistant/FocusedField.h"
#include "core/TextEdit.h"
#include "core/TextRange.h"
#include "platform/AccessibilityElement.h"

#include <QObject>

#include <functional>
#include <optional>

namespace quillcraft {

class Clock;

// Selects text in, and writes edits into, a focused field through the
// accessibility interface, confirming each by reading the field back every
// 30 ms on the clock. Nothing sleeps.
//
// One operation at a time: a call made while isBusy() is refused at once
// (false, or WriteResult::untouched) and the running one carries on. done is
// called exactly once, unless this object dies first; it runs before the call
// returns when no read-back wait is needed, and it may destroy this object.
class FieldWriter final : public QObject {
    Q_OBJECT
public:
    enum class WriteResult {
        written, // the field shows the snapshot's text with the edit made
        untouched, // nothing was written: refused, rejected or ignored
        changedDifferently, // the field changed, but not into the expected text
        stale, // the field's text moved on since the snapshot
    };

    using Selected = std::function<void(bool)>;
    using Written = std::function<void(WriteResult)>;

    static constexpr int confirmReads = 10;
    static constexpr int confirmIntervalMs = 30;

    explicit FieldWriter(Clock& clock, QObject* parent = nullptr);
    ~FieldWriter() override;

    // Whether a select or write has not reported yet.
    bool isBusy() const { return m_field.has_value(); }

    // Selects the range and confirms it by reading it back.
    void select(const FocusedField& field, TextRange range, Selected done);
    // Writes one edit (computed against field's snapshot) and confirms it.
    void write(const FocusedField& field, const TextEdit& edit, Written done);

private:
    AccessibilityElement& element() const;
    void startSelecting(TextRange range);
    void confirmSelection(int read);
    void onSelected(bool selected);
    void confirmValue(int read);
    void finishSelect(bool selected);
    void finishWrite(WriteResult result);

    Clock& m_clock;
    // The running operation; m_edit is absent for a plain select.
    std::optional<FocusedField> m_field;
    std::optional<TextEdit> m_edit;
    QString m_expected;
    TextRange m_range;
    AXError m_setError = AXError::success;
    Selected m_selected;
    Written m_written;
};

} // namespace quillcraft
