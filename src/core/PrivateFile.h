#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace quillcraft {

// A file only its owner may read, such as the preferences or the saved cookies.
// A write replaces it whole or not at all; a file its reader cannot understand is
// renamed aside, never overwritten, so the user can still recover it.
class PrivateFile final {
public:
    explicit PrivateFile(QString path);

    const QString& path() const { return m_path; }
    // Why the last write() or setAside() failed; empty after a success.
    const QString& errorString() const { return m_errorString; }

    // Whether a write waits for the disk: user data does, so a power cut leaves the
    // old file or the new one; a snapshot rewritten several times a second need not.
    enum class Sync { toDisk, none };

    // Replaces the file with bytes, mode 0600 whatever the umask or the old mode.
    // On failure the old file is left as it was and no temporary file remains.
    bool write(const QByteArray& bytes, Sync sync = Sync::toDisk);

    // Renames the file to <path>.damaged-<UTC time as yyyyMMddTHHmmsszzzZ>, with -2, -3, …
    // appended while that name is taken. Returns the new path, or an empty string on failure.
    QString setAside(const QDateTime& now = QDateTime::currentDateTimeUtc());

private:
    bool writeWithoutSync(const QByteArray& bytes);

    QString m_path;
    QString m_errorString;
};

} // namespace quillcraft
