#include "Clock.h"

namespace quillcraft {

Clock::~Clock() = default;

} // namespace quillcraft
