#pragma once

#include <QLoggingCategory>

// Diagnostics of this subsystem. Never log user text or secrets.
Q_DECLARE_LOGGING_CATEGORY(lcAssistant)
