#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillcraft {

// Finds the desktop entry (.desktop file) of a running program, which gives the
// program's identifier and display name. The index of installed entries is
// read once, on first use.
class DesktopEntries final {
public:
    struct Entry {
        QString id; // file name without ".desktop", e.g. "org.gnome.TextEditor"
        QString name; // Name=, localised when the entry has the user's language
    };

    // dataDirs: the XDG data folders to search, in order (empty: the standard ones).
    explicit DesktopEntries(QStringList dataDirs = {});

    // By the launch hint in the process's environment, then the window class
    // against StartupWMClass= and the file name, then the executable against Exec=
    // (an entry starting it without arguments first).
    std::optional<Entry> forProcess(qint64 pid, const QString& windowClass, const QString& executable) const;

    // The entry whose file name, without ".desktop", is `id`, ignoring letter case.
    std::optional<Entry> byId(const QString& id) const;
    // Whether some entry names `name` as its window class or its executable, so a
    // running copy would be reported under the entry's id instead.
    bool claims(const QString& name) const;

    // Parses one desktop file; absent when it has no [Desktop Entry] group or is hidden.
    static std::optional<Entry> parse(const QString& path, const QString& language);

private:
    struct Indexed {
        Entry entry;
        QString wmClass;
        QString executable;
        bool plainLaunch = false; // Exec= has no arguments but field codes
    };
    static std::optional<Indexed> parseFile(const QString& path, const QString& language);
    void load() const;

    QStringList m_dataDirs;
    mutable bool m_loaded = false;
    mutable QList<Indexed> m_entries;
};

} // namespace quillcraft
