#pragma once

#include <QLoggingCategory>

// One category per layer. Diagnostics only: never log user text or secrets.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcService)
Q_DECLARE_LOGGING_CATEGORY(lcGrammar)
Q_DECLARE_LOGGING_CATEGORY(lcRewrite)
Q_DECLARE_LOGGING_CATEGORY(lcAssistant)
Q_DECLARE_LOGGING_CATEGORY(lcShell)
