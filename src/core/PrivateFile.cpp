#include "PrivateFile.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>

namespace quillcraft {

namespace {

// Names tried for one damaged file before giving up.
constexpr int maxAsideNames = 999;

// Renames from to to unless to exists; false with errno set otherwise (EEXIST when taken).
bool renameWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot refuse to replace: check first, leaving only a narrow race.
    struct stat info { };
    if (::lstat(target.constData(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.constData(), target.constData()) == 0;
}

} // namespace

PrivateFile::PrivateFile(QString path)
    : m_path(std::move(path))
{
}

bool PrivateFile::write(const QByteArray& bytes, Sync sync)
{
    if (sync == Sync::none)
        return writeWithoutSync(bytes);
    QSaveFile file(m_path);
    // Permissions go on before any byte is written, so the contents are never readable by others.
    const bool saved = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) && file.write(bytes) == bytes.size()
        && file.commit();
    m_errorString = saved ? QString() : file.errorString();
    return saved;
}

bool PrivateFile::writeWithoutSync(const QByteArray& bytes)
{
    // QSaveFile always syncs; the same steps without it: a private file beside the
    // target, written whole, then renamed over it.
    QTemporaryFile file(m_path + QStringLiteral(".XXXXXX"));
    const bool written = file.open() && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        m_errorString = file.errorString();
        return false;
    }
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(m_path).constData()) != 0) {
        m_errorString = qt_error_string(errno);
        return false;
    }
    file.setAutoRemove(false);
    m_errorString.clear();
    return true;
}

QString PrivateFile::setAside(const QDateTime& now)
{
    const QString base
        = m_path + QStringLiteral(".damaged-") + now.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'"));
    for (int n = 1; n <= maxAsideNames; ++n) {
        const QString aside = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (renameWithoutReplacing(m_path, aside)) {
            m_errorString.clear();
            return aside;
        }
        if (errno != EEXIST) {
            m_errorString = qt_error_string(errno);
            return QString();
        }
    }
    m_errorString = QStringLiteral("every name for the damaged file is taken");
    return QString();
}

} // namespace quillcraft
