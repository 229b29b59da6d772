#include "platform/linux/async_tool.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

namespace orbel::platform::tools {

void runTool(const QString& program, const QStringList& args, int timeoutMs, std::function<void(ToolResult)> done) {
    auto finish = std::make_shared<std::function<void(ToolResult)>>(std::move(done));
    auto report = [finish](ToolResult r) {
        if (!*finish) return;
        auto f = std::move(*finish);
        *finish = nullptr;
        f(std::move(r));
    };
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [report] { report({}); }, Qt::QueuedConnection);
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    auto timedOut = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, process, [process, timedOut] {
        *timedOut = true;
        process->kill();
    });
    QObject::connect(process, &QProcess::finished, process, [process, report, timedOut](int code, QProcess::ExitStatus status) {
        ToolResult r;
        r.started = true;
        r.timedOut = *timedOut;
        r.exitCode = status == QProcess::NormalExit ? code : -1;
        r.output = QString::fromUtf8(process->readAllStandardOutput());
        process->deleteLater();
        report(std::move(r));
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // the others end in finished()
        process->deleteLater();
        report({});
    });
    process->start(path, args);
    timer->start(timeoutMs);
}

}  // namespace orbel::platform::tools
