#include "Logging.h"

Q_LOGGING_CATEGORY(lcSystem, "quillcraft.system", QtInfoMsg)
