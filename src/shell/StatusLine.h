#pragma once

#include "assistant/AssistantStatus.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace quillcraft::StatusLine {

// The first, disabled row of the status menu: what the assistant is doing now.
// `pausedUntil` is the stored end of a pause; none or the distant future reads
// as a pause until resumed.
QString text(const AssistantStatus& status, const std::optional<QDateTime>& pausedUntil = std::nullopt);

} // namespace quillcraft::StatusLine
