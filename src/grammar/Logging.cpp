#include "Logging.h"

Q_LOGGING_CATEGORY(lcGrammar, "quillcraft.grammar", QtInfoMsg)
