#pragma once

#include "platform/LoginItem.h"

#include <QString>
#include <QStringList>

namespace quillcraft {

// Start at login as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/quillcraft.desktop.
// The entry is on when a file of that name exists (the user's, or else one in a system
// folder of $XDG_CONFIG_DIRS, where a package may put it) and it is not hidden or
// switched off. Turning it off removes the user's file, or hides a system entry with a
// user file that says Hidden=true. There is no approval step on this platform.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // The user's and the system's autostart folders from the environment, and this
    // program's own executable.
    XdgAutostartLoginItem();
    // Explicit folders and executable (tests).
    XdgAutostartLoginItem(QString userFolder, QStringList systemFolders, QString executable);

    Status status() const override;
    bool setRegistered(bool on) override;

    QString entryPath() const;
    // The Exec line for `executable`, quoted as desktop entries require; empty when
    // the path cannot be written in one (a line break).
    static QString execLine(const QString& executable);

private:
    QString systemEntry() const;
    bool writeEntry(const QString& contents) const;

    QString m_userFolder;
    QStringList m_systemFolders;
    QString m_executable;
};

} // namespace quillcraft
