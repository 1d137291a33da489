#pragma once

typedef struct _XDisplay Display; // NOLINT: Xlib's own spelling, so no Xlib header here

namespace quillcraft {

// The Xlib display of the running Qt application, or null when Qt does not run
// on X11 (Wayland, offscreen). GUI thread only.
Display* qtX11Display();

// Whether the X server that DISPLAY names accepts a connection. Qt aborts the
// process when it cannot reach its display, so this is asked first.
bool displayAnswers();

} // namespace quillcraft
