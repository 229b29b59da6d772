#include "platform/process_runner.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace orbel::platform {
namespace {

constexpr int kKillGraceMs = 2000;
// Read per wake-up, so one chatty process never keeps the thread from the others.
constexpr std::size_t kReadPerWakeUp = std::size_t{1} << 20;

// One output stream: our own pipe, so the run can outlast the process while
// a child it left behind still writes.
struct Stream {
    int readEnd = -1;
    int writeEnd = -1;
    QSocketNotifier* notifier = nullptr;
    std::string bytes;
    bool limited = false;

    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        readEnd = fds[0];
        writeEnd = fds[1];
        ::fcntl(readEnd, F_SETFL, ::fcntl(readEnd, F_GETFL) | O_NONBLOCK);
        return true;
    }
    void closeWriteEnd() {
        if (writeEnd >= 0) ::close(writeEnd);
        writeEnd = -1;
    }
    bool closed() const { return readEnd < 0; }
    void close() {
        closeWriteEnd();
        if (notifier) {  // may be inside its own signal
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        notifier = nullptr;
        if (readEnd >= 0) ::close(readEnd);
        readEnd = -1;
    }
    // Reads what is there; answers false at end of file.
    bool drain() {
        char buffer[65536];
        for (std::size_t taken = 0; taken < kReadPerWakeUp;) {
            const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
            if (n > 0) {
                taken += static_cast<std::size_t>(n);
                const std::size_t room = ProcessRunner::kOutputLimit - bytes.size();
                bytes.append(buffer, std::min(room, static_cast<std::size_t>(n)));
                if (static_cast<std::size_t>(n) > room) limited = true;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
        return true;
    }
};

struct Run {
    ProcessRunner::Completion completion;
    QProcess* process = nullptr;
    qint64 group = 0;  // the process group the child leads
    Stream out, err;
    std::optional<ProcessResult> ended;  // set when the process has ended
    bool endedByUs = false;
    bool timedOut = false;
    bool reported = false;
};

void postToGui(std::function<void()> task) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

// Runs every process on a thread of its own: reading a chatty process never
// takes the GUI thread's time, and completions are posted back to it.
class QtProcessRunner final : public ProcessRunner {
public:
    QtProcessRunner() {
        thread_.setObjectName(QStringLiteral("orbel.processes"));
        context_.moveToThread(&thread_);
        thread_.start();
    }
    // Never destroyed (a process-lifetime service); children outlive us.
    ~QtProcessRunner() override = default;

    Id start(ProcessRequest request, Completion completion) override {
        const Id id = nextId_.fetch_add(1);
        // Always queued, so the completion can never run inside start().
        QMetaObject::invokeMethod(
            &context_,
            [this, id, request = std::move(request), completion = std::move(completion)]() mutable {
                if (request.detached) startDetached(std::move(request), std::move(completion));
                else launch(id, std::move(request), std::move(completion));
            },
            Qt::QueuedConnection);
        return id;
    }

    void terminate(Id id) override {
        QMetaObject::invokeMethod(&context_, [this, id] { end(id, false); }, Qt::QueuedConnection);
    }

private:
    static ProcessResult launchFailure(std::string why) {
        ProcessResult result;
        result.status = ProcessResult::Status::launchFailed;
        result.exitCode = -1;
        result.launchError = std::move(why);
        return result;
    }

    static void configure(QProcess& process, const ProcessRequest& request) {
        QStringList arguments;
        for (const auto& a : request.arguments) arguments << QString::fromStdString(a);
        process.setProgram(QString::fromStdString(request.program));
        process.setArguments(arguments);
        // What Orbel starts starts in the user's home folder, not in
        // whatever folder Orbel itself was started from.
        process.setWorkingDirectory(QDir::homePath());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    }

    void startDetached(ProcessRequest request, Completion completion) {
        QProcess process;
        configure(process, request);
        process.setStandardInputFile(QProcess::nullDevice());
        ProcessResult result;
        if (!process.startDetached()) result = launchFailure(process.errorString().toStdString());
        postToGui([completion = std::move(completion), result] {
            if (completion) completion(result);
        });
    }

    void launch(Id id, ProcessRequest request, Completion completion) {
        Run& run = runs_[id];
        run.completion = std::move(completion);
        if (!run.out.open() || !run.err.open()) return report(id, launchFailure("cannot create a pipe"));

        auto* process = new QProcess(&context_);
        run.process = process;
        configure(*process, request);
        if (!request.stdinText) process->setStandardInputFile(QProcess::nullDevice());
        // In the child: lead a process group of its own (so ending the run
        // ends what it started) and write into our pipes.
        const int outFd = run.out.writeEnd, errFd = run.err.writeEnd;
        process->setChildProcessModifier([outFd, errFd] {
            ::setpgid(0, 0);
            ::dup2(outFd, STDOUT_FILENO);
            ::dup2(errFd, STDERR_FILENO);
        });
        QObject::connect(process, &QProcess::finished, &context_, [this, id](int code, QProcess::ExitStatus status) {
            exited(id, code, status);
        });
        QObject::connect(process, &QProcess::errorOccurred, &context_, [this, id, process](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) report(id, launchFailure(process->errorString().toStdString()));
        });
        for (Stream* stream : {&run.out, &run.err}) {
            stream->notifier = new QSocketNotifier(stream->readEnd, QSocketNotifier::Read);
            QObject::connect(stream->notifier, &QSocketNotifier::activated, &context_, [this, id, stream] {
                if (!stream->drain()) {
                    stream->close();
                    completeIfDone(id);
                }
            });
        }
        if (request.timeLimit) {
            QTimer::singleShot(*request.timeLimit, &context_, [this, id] { end(id, true); });
        }
        process->start();
        auto it = runs_.find(id);
        if (it == runs_.end()) return;  // failed to start; already reported
        it->second.out.closeWriteEnd();
        it->second.err.closeWriteEnd();
        it->second.group = process->processId();
        ::setpgid(static_cast<pid_t>(it->second.group), static_cast<pid_t>(it->second.group));  // before the child may
        if (request.stdinText) process->write(request.stdinText->data(), static_cast<qint64>(request.stdinText->size()));
        process->closeWriteChannel();
    }

    void exited(Id id, int code, QProcess::ExitStatus status) {
        auto it = runs_.find(id);
        if (it == runs_.end()) return;
        Run& run = it->second;
        ProcessResult result;
        using S = ProcessResult::Status;
        result.status = status == QProcess::CrashExit ? S::crashed : S::exited;
        result.exitCode = code;
        run.ended = result;
        completeIfDone(id);
    }

    // Ends the process group; at the time limit the run reports timedOut.
    void end(Id id, bool timeLimit) {
        auto it = runs_.find(id);
        if (it == runs_.end()) return;
        Run& run = it->second;
        run.endedByUs = true;
        run.timedOut = run.timedOut || timeLimit;
        if (run.group > 0) ::kill(static_cast<pid_t>(-run.group), SIGTERM);
        const qint64 group = run.group;
        QTimer::singleShot(kKillGraceMs, &context_, [this, id, group] {
            if (runs_.count(id) && group > 0) ::kill(static_cast<pid_t>(-group), SIGKILL);
        });
        completeIfDone(id);
    }

    void completeIfDone(Id id) {
        auto it = runs_.find(id);
        if (it == runs_.end()) return;
        Run& run = it->second;
        if (!run.ended) return;
        if (!run.endedByUs && !(run.out.closed() && run.err.closed())) return;
        ProcessResult result = *run.ended;
        for (Stream* stream : {&run.out, &run.err}) {
            if (!stream->closed()) stream->drain();
        }
        result.standardOutput = std::move(run.out.bytes);
        result.standardError = std::move(run.err.bytes);
        result.outputLimited = run.out.limited || run.err.limited;
        if (run.timedOut) result.status = ProcessResult::Status::timedOut;
        report(id, std::move(result));
    }

    void report(Id id, ProcessResult result) {
        auto it = runs_.find(id);
        if (it == runs_.end()) return;
        Run run = std::move(it->second);
        runs_.erase(it);
        run.out.close();
        run.err.close();
        if (run.process) {
            QObject::disconnect(run.process, nullptr, &context_, nullptr);
            run.process->deleteLater();
        }
        postToGui([completion = std::move(run.completion), result = std::move(result)] {
            if (completion) completion(result);
        });
    }

    QThread thread_;
    QObject context_;  // lives on thread_; owns the processes
    std::atomic<Id> nextId_{1};
    std::map<Id, Run> runs_;  // thread_ only
};

}  // namespace

ProcessRunner& ProcessRunner::makeShared() { return processLifetimeInstance<QtProcessRunner>(); }

}  // namespace orbel::platform
