#include "DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>

namespace quillcraft {

namespace {

constexpr qint64 maxEntrySize = 256 * 1024;

QString idFromPath(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(".desktop")))
        name.chop(QLatin1String(".desktop").size());
    return name;
}

// An Exec= line's words from the program on. Snap and many distribution
// entries run it through "env NAME=value ...".
QStringList programWords(const QString& exec)
{
    QStringList words = exec.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!words.isEmpty() && QFileInfo(words.first()).fileName() == QLatin1String("env")) {
        words.removeFirst();
        while (!words.isEmpty() && words.first().contains(QLatin1Char('=')))
            words.removeFirst();
    }
    return words;
}

// The program named by an Exec= line: its first word, without folders.
QString executableOf(const QStringList& words)
{
    return words.isEmpty() ? QString() : QFileInfo(QString(words.first()).remove(QLatin1Char('"'))).fileName();
}

// Whether an Exec= line starts its program with no arguments but field codes
// (%U and the like): the program itself rather than one of its dialogs, as in
// "mousepad --preferences", which a settings entry runs.
bool launchesPlainly(const QStringList& words)
{
    return std::all_of(words.cbegin() + std::min<qsizetype>(1, words.size()), words.cend(),
        [](const QString& word) { return word.size() == 2 && word.startsWith(QLatin1Char('%')); });
}

// GLib sets this for programs started from a desktop entry. Whatever such a
// program starts inherits it, so it counts only when the pid GLib wrote next
// to it is this process (or GLib wrote none).
QString launchHint(qint64 pid)
{
    QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!environ.open(QIODevice::ReadOnly))
        return {};
    const QByteArray fileKey("GIO_LAUNCHED_DESKTOP_FILE=");
    const QByteArray pidKey("GIO_LAUNCHED_DESKTOP_FILE_PID=");
    QString file;
    for (const QByteArray& entry : environ.read(maxEntrySize).split('\0')) {
        if (entry.startsWith(fileKey))
            file = QString::fromLocal8Bit(entry.mid(fileKey.size()));
        else if (entry.startsWith(pidKey) && entry.mid(pidKey.size()).toLongLong() != pid)
            return {};
    }
    return file;
}

} // namespace

DesktopEntries::DesktopEntries(QStringList dataDirs)
    : m_dataDirs(std::move(dataDirs))
{
    if (m_dataDirs.isEmpty())
        m_dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
}

std::optional<DesktopEntries::Entry> DesktopEntries::parse(const QString& path, const QString& language)
{
    const auto indexed = parseFile(path, language);
    return indexed ? std::optional<Entry>(indexed->entry) : std::nullopt;
}

std::optional<DesktopEntries::Indexed> DesktopEntries::parseFile(const QString& path, const QString& language)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || file.size() > maxEntrySize)
        return std::nullopt;
    bool inEntry = false;
    bool seen = false;
    Indexed result { { idFromPath(path), {} }, {}, {} };
    QString localName;
    const QString localKey = QStringLiteral("Name[%1]").arg(language);
    const QString shortKey = QStringLiteral("Name[%1]").arg(language.section(QLatin1Char('_'), 0, 0));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            seen = seen || inEntry;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Name"))
            result.entry.name = value;
        else if ((key == localKey || (key == shortKey && localName.isEmpty())) && !value.isEmpty())
            localName = value;
        else if (key == QLatin1String("StartupWMClass"))
            result.wmClass = value;
        else if (key == QLatin1String("Exec")) {
            const QStringList words = programWords(value);
            result.executable = executableOf(words);
            result.plainLaunch = launchesPlainly(words);
        } else if (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            return std::nullopt;
    }
    if (!seen)
        return std::nullopt;
    if (!localName.isEmpty())
        result.entry.name = localName;
    return result;
}

void DesktopEntries::load() const
{
    m_loaded = true;
    const QString language = QLocale().name();
    for (const QString& dir : m_dataDirs) {
        const QDir applications(dir + QStringLiteral("/applications"));
        for (const QFileInfo& info : applications.entryInfoList({ QStringLiteral("*.desktop") }, QDir::Files)) {
            if (auto indexed = parseFile(info.filePath(), language))
                m_entries.append(std::move(*indexed));
        }
    }
}

std::optional<DesktopEntries::Entry> DesktopEntries::forProcess(
    qint64 pid, const QString& windowClass, const QString& executable) const
{
    const QString hint = launchHint(pid);
    if (!hint.isEmpty()) {
        if (auto entry = parse(hint, QLocale().name()))
            return entry;
    }
    if (!m_loaded)
        load();
    if (!windowClass.isEmpty()) {
        for (const Indexed& indexed : m_entries) {
            if (indexed.wmClass == windowClass)
                return indexed.entry;
        }
        for (const Indexed& indexed : m_entries) {
            if (indexed.entry.id.compare(windowClass, Qt::CaseInsensitive) == 0)
                return indexed.entry;
        }
    }
    if (!executable.isEmpty()) {
        // Several entries may run one program: the one that starts it plainly names it.
        std::optional<Entry> other;
        for (const Indexed& indexed : m_entries) {
            if (indexed.executable != executable)
                continue;
            if (indexed.plainLaunch)
                return indexed.entry;
            if (!other)
                other = indexed.entry;
        }
        return other;
    }
    return std::nullopt;
}

std::optional<DesktopEntries::Entry> DesktopEntries::byId(const QString& id) const
{
    if (!m_loaded)
        load();
    // An earlier data folder wins, as it does for the desktop.
    for (const Indexed& indexed : m_entries) {
        if (indexed.entry.id.compare(id, Qt::CaseInsensitive) == 0)
            return indexed.entry;
    }
    return std::nullopt;
}

bool DesktopEntries::claims(const QString& name) const
{
    if (!m_loaded)
        load();
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
        [&name](const Indexed& indexed) { return indexed.wmClass == name || indexed.executable == name; });
}

} // namespace quillcraft
