#pragma once

typedef struct _XDisplay Display; // NOLINT: Xlib's own spelling, so no Xlib header here

namespace quillcraft {

// The Xlib display of the running Qt application, or null when Qt does not run
// on X11 (Wayland, offscreen). GUI thread only.
Display* qtX11Display();

} // namespace quillcraft
