#include "Logging.h"

Q_LOGGING_CATEGORY(lcRewrite, "quillcraft.rewrite", QtInfoMsg)
