#pragma once

#include <QNetworkCookieJar>
#include <QString>

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
