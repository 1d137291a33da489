#include "WritePath.h"

#include "assistant/FocusedField.h"
#include "platform/AX.h"

namespace quillcraft {

namespace {

bool isToolkit(const FocusedField& field, QLatin1String name)
{
    return field.toolkit().value_or(QString()).compare(name, Qt::CaseInsensitive) == 0;
}

// LibreOffice's documents are paragraphs, each its own text.
constexpr QLatin1String paragraphRole("AXParagraph");

} // namespace

bool accessibilityWriteBreaksUndo(const FocusedField& field)
{
    const std::optional<QString> role = AX::string(*field.element(), AX::role);
    // Multi-line editors with an undo history (Qt text edits, GtkSourceView and GTK 4
    // text views, LibreOffice) take the write as a deletion and an insertion, two steps,
    // and a paste as one. A text view without undo loses nothing by a paste.
    const bool multiLine = role == AX::textAreaRole || role == paragraphRole;
    if (isToolkit(field, QLatin1String("qt")))
        return multiLine || role == AX::textFieldRole;
    // GTK entries: version 3 has no undo, and 4 makes two steps of a paste as well.
    if (isToolkit(field, QLatin1String("gtk")))
        return multiLine;
    return false;
}

WritePath writePathFor(const FocusedField& field, bool forcePaste)
{
    if (forcePaste || field.isWebContent() || accessibilityWriteBreaksUndo(field))
        return WritePath::paste;
    return WritePath::accessibility;
}

} // namespace quillcraft
