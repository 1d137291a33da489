#pragma once

#include <QString>

namespace quillcraft {

// The program's resource folder (the grammar engine, icons, the font):
// <bindir>/../share/quillcraft, which the build tree mirrors.
class ResourceFolder final {
public:
    // Absolute and cleaned; needs the application object.
    static QString path();
    // The same folder for an executable living in `binaryDirectory`.
    static QString besideBinaryIn(const QString& binaryDirectory);
};

} // namespace quillcraft
