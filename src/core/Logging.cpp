#include "Logging.h"

Q_LOGGING_CATEGORY(lcPlatform, "quillcraft.linux", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "quillcraft.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcService, "quillcraft.service", QtInfoMsg)
Q_LOGGING_CATEGORY(lcGrammar, "quillcraft.grammar", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRewrite, "quillcraft.rewrite", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAssistant, "quillcraft.assistant", QtInfoMsg)
Q_LOGGING_CATEGORY(lcShell, "quillcraft.shell", QtInfoMsg)
