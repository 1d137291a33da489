#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Shared pieces of the command-line modes.
namespace quillcraft::CommandLine {

// Exit statuses shared by every mode.
inline constexpr int exitOk = 0;
inline constexpr int exitUsage = 2;

// Writes "quillcraft: <line>" and a line feed to standard error, characters
// unsafe on a terminal shown as "?".
void printError(const QString& line);
// Writes text to standard output as UTF-8, unchanged. When it cannot be
// written, says so (not for a reader that went away) and returns false.
[[nodiscard]] bool printOut(const QString& text);

// The whole of a file, or of standard input without a path, as UTF-8 text. On
// failure returns nothing and puts the reason in `error`, one sentence.
std::optional<QString> readText(const std::optional<QByteArray>& path, QString& error);

// The overview printed by `quillcraft --help`.
QString overview();

// The arguments after the mode name, decoded from the local 8-bit encoding.
QStringList argumentsAfterMode(int argc, char** argv);
// The bytes of the argument that decoded to `argument`, for file names that
// are not UTF-8.
QByteArray rawArgument(int argc, char** argv, const QString& argument);

} // namespace quillcraft::CommandLine
