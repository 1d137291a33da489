#include "Clipboard.h"

namespace quillcraft {

Clipboard::~Clipboard() = default;

} // namespace quillcraft
