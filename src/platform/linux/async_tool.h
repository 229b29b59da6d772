#pragma once

// Runs a command-line tool through the process runner, ending it when it
// takes too long, and hands back what it printed.

#include <QString>
#include <QStringList>
#include <functional>

namespace orbel::platform::tools {

struct ToolResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;  // meaningful when started, not timed out
    QString output;     // standard output

    bool succeeded() const { return started && !timedOut && exitCode == 0; }
};

// Starts `program` (looked up in PATH) and calls `done` on the GUI thread
// when it ends, fails to start or is ended after `timeoutMs`. Any thread.
void runTool(const QString& program, const QStringList& args, int timeoutMs, std::function<void(ToolResult)> done);

}  // namespace orbel::platform::tools
