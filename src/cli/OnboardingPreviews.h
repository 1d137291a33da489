#pragma once

#include <QWidget>

#include <memory>

// The first-run window's pages in fixed states for `quillcraft preview`. Each has
// its own stand-ins for accessibility and opening at login: nothing on the desktop
// changes when one of their buttons is pressed.
namespace quillcraft::OnboardingPreviews {

std::unique_ptr<QWidget> welcome();
// Waiting for access, or with access on (`granted`).
std::unique_ptr<QWidget> access(bool granted);

// The startup choice at the end of the practice page.
enum class Startup { offered, enabled, approval, error };
std::unique_ptr<QWidget> practice(Startup startup);

} // namespace quillcraft::OnboardingPreviews
