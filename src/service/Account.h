#pragma once

#include <QString>

namespace quillcraft {

// Who is signed in to the service.
struct Account final {
    QString email;
    QString name; // empty when the service gives none

    bool operator==(const Account&) const = default;
};

} // namespace quillcraft
