#pragma once

#include "FakeAccessibility.h"

namespace quillcraft::test {

// One 1280 x 1024 screen whose bottom 24 points are a panel, and an editor's window
// holding a text field with "Hello world", "world" selected. Frames are given in
// top-left accessibility coordinates and come out flipped (y' = 1024 - y - h).
struct FakeFieldScene {
    static constexpr qint64 targetPid = 4242;

    FakeFieldScene()
    {
        screens.list = { { QRectF(0, 0, 1280, 1024), QRectF(0, 24, 1280, 1000) } };
        apps.running = { { targetPid, QStringLiteral("org.example.Editor"), QStringLiteral("Editor") } };
        window->setFrame({ 100, 100, 600, 400 });
        field->setFrame({ 120, 130, 300, 30 });
        field->setParent(window);
        field->attributes.insert(AX::window, ElementRef(window));
        field->attributes.insert(AX::value, QStringLiteral("Hello world"));
        field->attributes.insert(AX::selectedTextRange, TextRange { 6, 5 });
        field->attributes.insert(AX::enabled, true);
        accessibility.focused = field;
    }

    static QRectF flipped(QRectF r) { return { r.x(), 1024 - r.y() - r.height(), r.width(), r.height() }; }

    FakeAccessibility accessibility;
    FakeScreens screens;
    FakeApps apps;
    std::shared_ptr<FakeElement> window = FakeElement::make(QString(AX::windowRole));
    std::shared_ptr<FakeElement> field = FakeElement::make(QString(AX::textFieldRole));
};

} // namespace quillcraft::test
