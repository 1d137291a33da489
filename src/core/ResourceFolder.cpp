#include "ResourceFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace quillcraft {

QString ResourceFolder::path()
{
    return besideBinaryIn(QCoreApplication::applicationDirPath());
}

QString ResourceFolder::besideBinaryIn(const QString& binaryDirectory)
{
    return QDir::cleanPath(QDir(binaryDirectory).absoluteFilePath(QStringLiteral("../share/quillcraft")));
}

} // namespace quillcraft
