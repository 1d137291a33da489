#include "Logging.h"

Q_LOGGING_CATEGORY(lcAssistant, "quillcraft.assistant", QtInfoMsg)
