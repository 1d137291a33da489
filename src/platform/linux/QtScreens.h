#pragma once

#include "platform/Screens.h"

namespace quillcraft {

// The displays as Qt knows them (primary first), flipped into bottom-left
// coordinates against the screen at the top-left origin. Needs a QGuiApplication.
class QtScreens final : public Screens {
public:
    QList<ScreenGeometry> screens() const override;
};

} // namespace quillcraft
