#include "platform/linux/async_tool.h"

#include <QStandardPaths>

#include "platform/process_runner.h"

namespace orbel::platform::tools {

void runTool(const QString& program, const QStringList& args, int timeoutMs, std::function<void(ToolResult)> done) {
    ProcessRequest request;
    request.program = QStandardPaths::findExecutable(program).toStdString();
    for (const QString& a : args) request.arguments.push_back(a.toStdString());
    request.timeLimit = std::chrono::milliseconds(timeoutMs);
    if (request.program.empty()) request.program = program.toStdString();  // fails to start, and says so
    ProcessRunner::shared().start(std::move(request), [done = std::move(done)](const ProcessResult& r) {
        using S = ProcessResult::Status;
        ToolResult result;
        result.started = r.status != S::launchFailed;
        result.timedOut = r.status == S::timedOut;
        result.exitCode = r.status == S::exited ? r.exitCode : -1;
        result.output = QString::fromUtf8(r.standardOutput.data(), static_cast<qsizetype>(r.standardOutput.size()));
        if (done) done(std::move(result));
    });
}

}  // namespace orbel::platform::tools
