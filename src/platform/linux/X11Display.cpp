#include "X11Display.h"

#include <QGuiApplication>

namespace quillcraft {

Display* qtX11Display()
{
    auto* app = qGuiApp;
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

} // namespace quillcraft
