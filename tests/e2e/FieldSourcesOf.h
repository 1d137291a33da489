#pragma once

#include "assistant/FocusedField.h"
#include "platform/linux/LinuxSystem.h"

#include <QCoreApplication>

namespace quillcraft::e2e {

// What a snapshot of the focused field reads, from the real desktop; this test
// process is the "own" program whose fields are skipped unless allowed.
inline FieldSources fieldSourcesOf(
    LinuxSystem& system, Accessibility* accessibility = nullptr, bool allowsOwnFields = false)
{
    FieldSources s;
    s.accessibility = accessibility ? accessibility : &system.accessibility();
    s.screens = &system.screens();
    s.apps = &system.frontmostApp();
    s.ownPid = QCoreApplication::applicationPid();
    s.allowsOwnFields = allowsOwnFields;
    return s;
}

} // namespace quillcraft::e2e
