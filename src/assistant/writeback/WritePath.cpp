#include "WritePath.h"

#include "assistant/FocusedField.h"
#include "platform/AX.h"

namespace quillcraft {

bool accessibilityWriteLosesUndo(const FocusedField& field)
{
    // Qt's text areas write through a text cursor and keep their undo steps;
    // GTK 3 entries and text views have no undo to lose.
    const bool qt = field.toolkit().value_or(QString()).compare(QLatin1String("qt"), Qt::CaseInsensitive) == 0;
    return qt && AX::string(*field.element(), AX::role) == AX::textFieldRole;
}

WritePath writePathFor(const FocusedField& field, bool forcePaste)
{
    if (forcePaste || field.isWebContent() || accessibilityWriteLosesUndo(field))
        return WritePath::paste;
    return WritePath::accessibility;
}

} // namespace quillcraft
