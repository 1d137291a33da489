#pragma once

#include <QString>
#include <QStringList>

// Shared pieces of the command-line modes.
namespace quillcraft::CommandLine {

// Exit statuses shared by every mode.
inline constexpr int exitOk = 0;
inline constexpr int exitUsage = 2;

// Writes "quillcraft: <line>" and a line feed to standard error.
void printError(const QString& line);
// Writes text to standard output as UTF-8, unchanged.
void printOut(const QString& text);

// The overview printed by `quillcraft --help`.
QString overview();

// The arguments after the mode name, decoded from the local 8-bit encoding.
QStringList argumentsAfterMode(int argc, char** argv);

} // namespace quillcraft::CommandLine
