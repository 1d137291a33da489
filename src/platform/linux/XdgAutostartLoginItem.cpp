#include "XdgAutostartLoginItem.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <utility>

namespace quillcraft {

namespace {

const QLatin1String entryName("quillcraft.desktop");

QString configHome()
{
    const QString set = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative paths are to be ignored, the base directory rules say.
    if (!set.isEmpty() && QDir::isAbsolutePath(set))
        return set;
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList configDirs()
{
    QStringList folders;
    const QString set = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& folder : set.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders << folder + QStringLiteral("/autostart");
    }
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg/autostart");
    return folders;
}

// Whether the entry at `path` starts anything: nullopt when there is no readable file.
std::optional<bool> entryStarts(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool inMainGroup = false;
    bool starts = true;
    // Only the keys that switch an entry off matter here; the rest is the session's business.
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if ((key == QLatin1String("Hidden") && value == QLatin1String("true"))
            || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false")))
            starts = false;
    }
    return starts;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem()
    : XdgAutostartLoginItem(
        configHome() + QStringLiteral("/autostart"), configDirs(), QCoreApplication::applicationFilePath())
{
}

XdgAutostartLoginItem::XdgAutostartLoginItem(QString userFolder, QStringList systemFolders, QString executable)
    : m_userFolder(std::move(userFolder))
    , m_systemFolders(std::move(systemFolders))
    , m_executable(std::move(executable))
{
}

QString XdgAutostartLoginItem::entryPath() const
{
    return m_userFolder + u'/' + entryName;
}

QString XdgAutostartLoginItem::systemEntry() const
{
    for (const QString& folder : m_systemFolders) {
        const QString path = folder + u'/' + entryName;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

LoginItem::Status XdgAutostartLoginItem::status() const
{
    // The user's file overrides a system one of the same name.
    std::optional<bool> starts = entryStarts(entryPath());
    if (!starts) {
        const QString system = systemEntry();
        starts = system.isEmpty() ? std::nullopt : entryStarts(system);
    }
    return starts.value_or(false) ? Status::enabled : Status::notRegistered;
}

QString XdgAutostartLoginItem::execLine(const QString& executable)
{
    if (executable.isEmpty() || executable.contains(QLatin1Char('\n')) || executable.contains(QLatin1Char('\r')))
        return {};
    // Quoted, with ", `, $ and \ escaped inside the quotes; then the string value's own
    // escaping doubles every backslash once more, and % is written %%.
    QString quoted;
    for (const QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    return u'"' + quoted + u'"';
}

bool XdgAutostartLoginItem::setRegistered(bool on)
{
    if (!on) {
        const bool removed = !QFileInfo::exists(entryPath()) || QFile::remove(entryPath());
        if (!removed)
            return false;
        // A system entry would still start the program: hide it for this user.
        if (const QString system = systemEntry(); !system.isEmpty() && entryStarts(system).value_or(false))
            return writeEntry(QStringLiteral("[Desktop Entry]\nType=Application\nName=Quillcraft\nHidden=true\n"));
        return true;
    }
    const QString exec = execLine(m_executable);
    if (exec.isEmpty() || !QFileInfo(m_executable).isExecutable())
        return false;
    return writeEntry(QStringLiteral("[Desktop Entry]\n"
                                     "Type=Application\n"
                                     "Name=Quillcraft\n"
                                     "Comment=Grammar and rewrites in every application\n"
                                     "Exec=%1\n"
                                     "Icon=quillcraft\n"
                                     "Terminal=false\n"
                                     "NoDisplay=true\n"
                                     "X-GNOME-Autostart-enabled=true\n")
                          .arg(exec));
}

bool XdgAutostartLoginItem::writeEntry(const QString& contents) const
{
    if (!QDir().mkpath(m_userFolder)) {
        qCWarning(lcPlatform, "The autostart folder cannot be made.");
        return false;
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(contents.toUtf8()) < 0 || !file.commit()) {
        qCWarning(lcPlatform, "The autostart entry cannot be written.");
        return false;
    }
    return true;
}

} // namespace quillcraft
