#pragma once

#include <QWidget>

#include <memory>

// The account form in fixed states for `quillcraft preview`. Each form has its own
// store, fed with sample state: nothing is sent unless one of its buttons is pressed.
namespace quillcraft::AccountPreviews {

// Signed out, nothing typed.
std::unique_ptr<QWidget> guest();
// An email sign-in on its way.
std::unique_ptr<QWidget> working();
// The service refused the email and password.
std::unique_ptr<QWidget> failed();
// The browser has the sign-in.
std::unique_ptr<QWidget> waiting();
std::unique_ptr<QWidget> signedIn();
// As the settings window's Account tab shows it: no brand header.
std::unique_ptr<QWidget> inSettings();

} // namespace quillcraft::AccountPreviews
