#include "KeySynthesizer.h"

namespace quillcraft {

KeySynthesizer::~KeySynthesizer() = default;

} // namespace quillcraft
