#include "SwitchedLayout.h"

#include <QProcess>

namespace quillcraft::e2e {

bool setLayout(const QString& layout)
{
    QProcess process;
    process.start(QStringLiteral("setxkbmap"), { layout });
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

SwitchedLayout::SwitchedLayout(const QString& layout)
    : m_switched(setLayout(layout))
{
}

SwitchedLayout::~SwitchedLayout()
{
    setLayout(QStringLiteral("us"));
}

} // namespace quillcraft::e2e
