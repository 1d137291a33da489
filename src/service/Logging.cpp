#include "Logging.h"

Q_LOGGING_CATEGORY(lcService, "quillcraft.service", QtInfoMsg)
