#include "platform/process_runner.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <map>
#include <memory>

namespace orbel::platform {
namespace {

constexpr int kKillGraceMs = 2000;

// Runs QProcess on the GUI thread: its pipes are read by the event loop as
// data arrives, so the child never stalls on a full pipe.
class QtProcessRunner final : public ProcessRunner {
public:
    QtProcessRunner() {
        if (auto* app = QCoreApplication::instance()) context_.moveToThread(app->thread());
    }
    ~QtProcessRunner() override {
        // Processes still running are killed; their completions never run.
        for (QProcess* process : context_.findChildren<QProcess*>()) {
            QObject::disconnect(process, nullptr, nullptr, nullptr);
            delete process;
        }
    }

    Id start(ProcessRequest request, Completion completion) override {
        const Id id = nextId_.fetch_add(1);
        auto launch = [this, id, request = std::move(request), completion = std::move(completion)]() mutable {
            launchOnGuiThread(id, std::move(request), std::move(completion));
        };
        // Always queued, so the completion can never run inside start().
        QMetaObject::invokeMethod(&context_, std::move(launch), Qt::QueuedConnection);
        return id;
    }

    void terminate(Id id) override {
        // Queued behind the launch when both come from the same thread.
        QMetaObject::invokeMethod(
            &context_,
            [this, id] {
                auto it = running_.find(id);
                if (it == running_.end()) return;
                QPointer<QProcess> process = it->second;
                process->terminate();
                QTimer::singleShot(kKillGraceMs, process, [process] {
                    if (process && process->state() != QProcess::NotRunning) process->kill();
                });
            },
            Qt::QueuedConnection);
    }

private:
    void launchOnGuiThread(Id id, ProcessRequest request, Completion completion) {
        auto* process = new QProcess(&context_);
        auto out = std::make_shared<QByteArray>();
        auto err = std::make_shared<QByteArray>();
        auto done = std::make_shared<bool>(false);
        auto shared = std::make_shared<Completion>(std::move(completion));

        auto finish = [this, id, process, out, err, done, shared](ProcessResult result) {
            if (*done) return;
            *done = true;
            running_.erase(id);
            result.standardOutput.assign(out->constData(), static_cast<std::size_t>(out->size()));
            result.standardError.assign(err->constData(), static_cast<std::size_t>(err->size()));
            process->deleteLater();
            if (*shared) (*shared)(result);
        };

        QObject::connect(process, &QProcess::readyReadStandardOutput, process,
                         [process, out] { out->append(process->readAllStandardOutput()); });
        QObject::connect(process, &QProcess::readyReadStandardError, process,
                         [process, err] { err->append(process->readAllStandardError()); });
        QObject::connect(process, &QProcess::finished, process,
                         [process, out, err, finish](int exitCode, QProcess::ExitStatus status) {
                             out->append(process->readAllStandardOutput());
                             err->append(process->readAllStandardError());
                             ProcessResult result;
                             result.status = status == QProcess::CrashExit ? ProcessResult::Status::crashed
                                                                           : ProcessResult::Status::exited;
                             result.exitCode = exitCode;
                             finish(std::move(result));
                         });
        QObject::connect(process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart) return;  // the others end in finished()
            ProcessResult result;
            result.status = ProcessResult::Status::launchFailed;
            result.exitCode = -1;
            result.launchError = process->errorString().toStdString();
            finish(std::move(result));
        });

        QStringList arguments;
        arguments.reserve(static_cast<qsizetype>(request.arguments.size()));
        for (const auto& a : request.arguments) arguments << QString::fromStdString(a);
        process->setProgram(QString::fromStdString(request.program));
        process->setArguments(arguments);
        running_[id] = process;
        process->start(QIODevice::ReadWrite);
        if (*done) return;  // failed to start; already reported
        if (request.stdinText) {
            process->write(request.stdinText->data(), static_cast<qint64>(request.stdinText->size()));
        }
        process->closeWriteChannel();
    }

    QObject context_;  // lives on the GUI thread; owns the processes
    std::atomic<Id> nextId_{1};
    std::map<Id, QProcess*> running_;  // GUI thread only
};

}  // namespace

ProcessRunner& ProcessRunner::makeShared() { return processLifetimeInstance<QtProcessRunner>(); }

}  // namespace orbel::platform
