#include "Logging.h"

Q_LOGGING_CATEGORY(lcSurfaces, "quillcraft.surfaces", QtInfoMsg)
