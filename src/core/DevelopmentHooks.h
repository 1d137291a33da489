#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Build-time switches. Release builds compile the fixed values; development
// builds (QUILLCRAFT_DEVELOPMENT) read QUILLCRAFT_STATE_FILE, QUILLCRAFT_FORCE_PASTE,
// QUILLCRAFT_PREVIEW and QUILLCRAFT_ORIGIN from the environment once, so that
// automation can drive one binary.
namespace quillcraft::DevelopmentHooks {

// Whether this binary was built for development.
bool isDevelopmentBuild();

// Where the assistant writes a snapshot of what it shows; none in release builds.
std::optional<QString> stateFile();
// Whether fixes and rewrites always go through the clipboard and a paste.
bool forcePaste();
// The name of a preview fixture to show instead of onboarding.
std::optional<QString> preview();

// The service's web origin. Checked at first use: an unusable value stops the
// program with a one-line message naming it.
QUrl origin();

// Parses an origin: scheme http or https, a host, no path, query or fragment.
// On failure returns nothing and says why in `whyNot` (a phrase, no period).
std::optional<QUrl> parseOrigin(const QString& text, QString* whyNot = nullptr);

} // namespace quillcraft::DevelopmentHooks
