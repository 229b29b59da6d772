#include "platform/process_runner.h"

#include <QFile>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

using Status = ProcessResult::Status;

struct Outcome {
    std::optional<ProcessResult> result;
    int calls = 0;
    bool onGuiThread = false;
};

// Starts the request and runs the event loop until its completion came.
Outcome run(ProcessRequest request, int timeoutMs = 20000) {
    Outcome outcome;
    ProcessRunner::shared().start(std::move(request), [&](const ProcessResult& r) {
        ++outcome.calls;
        outcome.result = r;
        outcome.onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    });
    (void)QTest::qWaitFor([&] { return outcome.result.has_value(); }, timeoutMs);
    return outcome;
}

// Large output, missing programs and completions started from other threads
// are covered through the script runner, which runs on this one.
ProcessRequest zsh(std::string source) {
    ProcessRequest request;
    request.program = "/bin/zsh";
    request.arguments = {"-c", std::move(source)};
    return request;
}

TEST(ProcessRunner, CollectsBothStreamsAndTheExitCode) {
    const Outcome o = run(zsh("printf 'out\\xff\\x00'; print err >&2; exit 2"));
    ASSERT_TRUE(o.result);
    EXPECT_EQ(o.result->status, Status::exited);
    EXPECT_EQ(o.result->exitCode, 2);
    EXPECT_EQ(o.result->standardOutput, std::string("out\xff\0", 5));  // bytes passed through untouched
    EXPECT_EQ(o.result->standardError, "err\n");
    EXPECT_EQ(o.calls, 1);
    EXPECT_TRUE(o.onGuiThread);
}

TEST(ProcessRunner, StandardInputTextAndArgumentsReachTheProcess) {
    ProcessRequest request = zsh("print -r -- \"$1|$(cat)\"");
    request.arguments.insert(request.arguments.end(), {"zsh", "two words; $HOME"});
    request.stdinText = "from stdin";
    const Outcome o = run(request);
    ASSERT_TRUE(o.result);
    EXPECT_EQ(o.result->standardOutput, "two words; $HOME|from stdin\n");
    // It starts in the home folder, wherever Orbel was started.
    const Outcome where = run(zsh("pwd -P"));
    ASSERT_TRUE(where.result);
    EXPECT_EQ(where.result->standardOutput, QDir(QDir::homePath()).canonicalPath().toStdString() + "\n");
    // Without text, standard input is closed rather than inherited.
    const Outcome closed = run(zsh("cat; print done"));
    ASSERT_TRUE(closed.result);
    EXPECT_EQ(closed.result->standardOutput, "done\n");
}

TEST(ProcessRunner, SignalsAndTerminationAreReportedAsCrashes) {
    const Outcome killed = run(zsh("kill -9 $$"));
    ASSERT_TRUE(killed.result);
    EXPECT_EQ(killed.result->status, Status::crashed);
    EXPECT_EQ(killed.result->exitCode, 9);

    std::optional<ProcessResult> result;
    const auto id = ProcessRunner::shared().start(zsh("print started; sleep 30"),
                                                  [&](const ProcessResult& r) { result = r; });
    ProcessRunner::shared().terminate(id);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
    EXPECT_EQ(result->status, Status::crashed);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(ProcessRunner, ATimeLimitEndsTheProcessAndWhatItStarted) {
    ProcessRequest request = zsh("(sleep 30; print late) & print early; sleep 30");
    request.timeLimit = std::chrono::milliseconds(300);
    QElapsedTimer clock;
    clock.start();
    const Outcome o = run(request);
    ASSERT_TRUE(o.result);
    EXPECT_EQ(o.result->status, Status::timedOut);
    EXPECT_EQ(o.result->standardOutput, "early\n");
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST(ProcessRunner, ADetachedStartReportsOnlyWhetherItStarted) {
    // The tool leaves a mark only when it ends: the report must come first.
    const QString mark = QDir::temp().filePath(QStringLiteral("orbel-detached-%1").arg(QCoreApplication::applicationPid()));
    QFile::remove(mark);
    ProcessRequest request = zsh(("sleep 20; touch '" + mark + "'").toStdString());
    request.detached = true;
    const Outcome started = run(request);
    ASSERT_TRUE(started.result);
    EXPECT_EQ(started.result->status, Status::exited);
    EXPECT_FALSE(QFile::exists(mark));

    request.program = "/nonexistent/tool";
    const Outcome missing = run(request);
    ASSERT_TRUE(missing.result);
    EXPECT_EQ(missing.result->status, Status::launchFailed);
    EXPECT_TRUE(missing.onGuiThread);
}

}  // namespace
}  // namespace orbel::platform
