#pragma once

#include <QJsonObject>

namespace quillcraft {

struct FieldReading;

// `quillcraft inspect ...`: argc and argv as main() received them, argv[1] being "inspect".
int runInspectCommand(int argc, char** argv);

// The JSON object inspect prints for one reading. Never holds any text of a
// field that is not a checkable field (password fields above all).
QJsonObject inspectReport(const FieldReading& reading);

} // namespace quillcraft
