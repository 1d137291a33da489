#pragma once

#include <QWidget>

#include <memory>

// The settings window's content on each tab for `quillcraft preview`, over sample
// preferences kept in a temporary folder: nothing the user stored is read or changed.
namespace quillcraft::SettingsPreviews {

std::unique_ptr<QWidget> general();
// The General tab whole, with the desktop refusing a change of the login item.
std::unique_ptr<QWidget> generalFull();
std::unique_ptr<QWidget> apps();
// A few saved words.
std::unique_ptr<QWidget> dictionary();
std::unique_ptr<QWidget> emptyDictionary();
// Signed in.
std::unique_ptr<QWidget> account();

} // namespace quillcraft::SettingsPreviews
