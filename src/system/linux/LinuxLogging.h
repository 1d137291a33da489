#pragma once

#include <QLoggingCategory>

// Diagnostics of the Linux backends. Never log user text or secrets.
Q_DECLARE_LOGGING_CATEGORY(lcLinux)
