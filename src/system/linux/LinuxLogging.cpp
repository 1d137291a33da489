#include "LinuxLogging.h"

Q_LOGGING_CATEGORY(lcLinux, "quillcraft.linux", QtInfoMsg)
