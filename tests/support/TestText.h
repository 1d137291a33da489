#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace quillcraft::test {

// Test texts are written as UTF-8 literals.
inline QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The bytes of a file; empty when it cannot be read.
inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quillcraft::test
