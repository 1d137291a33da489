#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace quillcraft::test {

// How one run of a program ended. While it is in scope, every failing expectation
// also shows how the program ended and its standard error, so that a run that
// printed nothing explains itself.
struct ProgramRun {
    int status = -1; // -1 unless the program exited by itself
    QByteArray outBytes;
    QByteArray errBytes;
    QString out; // the same, decoded as UTF-8
    QString err;
    testing::ScopedTrace trace;
};

struct ProgramOptions {
    QByteArray input; // written to standard input, which is then closed
    QString outputFile; // standard output goes here instead when set
    QString workingDirectory;
    std::optional<QProcessEnvironment> environment; // the test's own when absent
    std::function<void()> inChild; // runs in the child before exec
    int timeoutMs = 120000;
};

// Starts `program` and waits for it to end, keeping the event loop turning so that
// servers in the test process can answer it.
ProgramRun runProgram(const QString& program, const QStringList& arguments, const ProgramOptions& options = {});

} // namespace quillcraft::test
