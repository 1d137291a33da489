#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

// The surfaces that `quillcraft preview` can draw, each filled with fixed sample
// content: one line per surface in PreviewGallery.cpp.
namespace quillcraft::PreviewGallery {

using Factory = std::function<std::unique_ptr<QWidget>()>;

// The surface called `name` (without an appearance suffix), or null.
std::unique_ptr<QWidget> make(const QString& name);
// Every name, in the gallery's order.
QStringList names();

} // namespace quillcraft::PreviewGallery
