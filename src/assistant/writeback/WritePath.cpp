#include "WritePath.h"

#include "assistant/FocusedField.h"
#include "platform/AX.h"

namespace quillcraft {

namespace {

bool isToolkit(const FocusedField& field, QLatin1String name)
{
    return field.toolkit().value_or(QString()).compare(name, Qt::CaseInsensitive) == 0;
}

// The toolkit's major version, 0 when it does not say.
int majorVersion(const FocusedField& field)
{
    const QString version = AX::string(*field.element(), AX::toolkitVersion).value_or(QString());
    return version.section(QLatin1Char('.'), 0, 0).toInt();
}

} // namespace

bool accessibilityWriteBreaksUndo(const FocusedField& field)
{
    const std::optional<QString> role = AX::string(*field.element(), AX::role);
    if (isToolkit(field, QLatin1String("qt")))
        return role == AX::textFieldRole || role == AX::textAreaRole;
    // GTK 4 entries make two undo steps of a paste as well, so they keep the checked write;
    // GTK 3 has no undo to break.
    if (isToolkit(field, QLatin1String("gtk")))
        return role == AX::textAreaRole && majorVersion(field) >= 4;
    return false;
}

WritePath writePathFor(const FocusedField& field, bool forcePaste)
{
    if (forcePaste || field.isWebContent() || accessibilityWriteBreaksUndo(field))
        return WritePath::paste;
    return WritePath::accessibility;
}

} // namespace quillcraft
