#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QString>

#include <optional>

namespace quillcraft {

// The process's cookie jar, kept across runs in a file only the user can read.
// Session cookies stay in memory; expired ones are dropped. Every change is
// written at once (atomically), so a crash loses nothing. A file that cannot
// be understood is moved aside with a warning and the jar starts empty.
class PersistentCookieJar final : public QNetworkCookieJar {
    Q_OBJECT

public:
    // An empty path keeps the cookies in memory only.
    explicit PersistentCookieJar(QString filePath, QObject* parent = nullptr);

    // $XDG_DATA_HOME/quillcraft/cookies.json (or its usual fallback); empty
    // when the system names no data folder.
    static QString defaultFilePath();

    const QString& filePath() const { return m_filePath; }

    // The cookies in a file's bytes that are alive at `now`, or nothing with `why`
    // saying what is wrong with the bytes.
    static std::optional<QList<QNetworkCookie>> parse(const QByteArray& bytes, const QDateTime& now, QString& why);
    // A file's bytes holding those of `cookies` that are alive at `now`.
    static QByteArray serialize(const QList<QNetworkCookie>& cookies, const QDateTime& now);

    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override;
    bool insertCookie(const QNetworkCookie& cookie) override;
    bool updateCookie(const QNetworkCookie& cookie) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;

private:
    // Counts nested calls (setCookiesFromUrl calls insertCookie, which calls
    // deleteCookie) so that one change is written once.
    class Batch;

    void load();
    void moveAside(const QString& why);
    void saveIfChanged();
    QByteArray serialize() const;

    QString m_filePath;
    QByteArray m_saved;
    int m_depth = 0;
    bool m_writable = true;
};

} // namespace quillcraft
