// The script runner against the real zsh.

#include "slots/script_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <thread>

#include "fakes/fake_process_runner.h"
#include "fakes/replace_shared.h"

using namespace orbel;

namespace {

struct Outcome {
    std::optional<ScriptResult> result;
    int calls = 0;
    bool onGuiThread = false;
    bool calledInsideRun = false;
};

Outcome run(ScriptInvocation invocation, const ScriptRunner& runner = ScriptRunner()) {
    auto outcome = std::make_shared<Outcome>();
    bool inside = true;
    runner.run(invocation, [outcome, &inside](const ScriptResult& r) {
        ++outcome->calls;
        outcome->result = r;
        outcome->onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        outcome->calledInsideRun = inside;
    });
    inside = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome->result.has_value(); }, 20000));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);  // room for a second completion
    return *outcome;
}

ScriptInvocation shell(std::string source) { return {ScriptLanguage::shell, std::move(source)}; }

std::int64_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

TEST(ScriptRunner, ShellOutcomes) {
    struct Case {
        const char* source;
        ScriptResult expected;
        const char* description;  // of the error, if any
    };
    const Case cases[] = {
        {"print hello; print", ScriptResult::success("hello\n\n"), nullptr},  // the caller trims
        {"print out; print noise >&2", ScriptResult::success("out\n"), nullptr},
        {"print out; print err >&2; exit 2", ScriptResult::failure(ScriptError::nonzeroExit(2, "err\n")), "exit 2: err"},
        {"print ' spaced  ' >&2; exit 255", ScriptResult::failure(ScriptError::nonzeroExit(255, " spaced  \n")),
         "exit 255:  spaced"},
        {"print -n partial; kill -KILL $$", ScriptResult::failure(ScriptError::nonzeroExit(9, "")), "exit 9"},
        // Quotes, semicolons and expansions belong to the script; a login shell runs it.
        {"a='two words'; print -r -- \"$a|$0|${-//[^l]/}\"; [[ -o login ]] && print login",
         ScriptResult::success("two words|/bin/zsh|l\nlogin\n"), nullptr},
        // Output that is not UTF-8 is the empty text.
        {"printf 'caf\\xe9\\n'", ScriptResult::success(""), nullptr},
        {"printf '\\xc0\\xaf'", ScriptResult::success(""), nullptr},
        {"printf 'caf\\xc3\\xa9 \\xe2\\x80\\xa6 \\xf0\\x9f\\x98\\x80'", ScriptResult::success("café … 😀"), nullptr},
        {"printf 'bad\\xff' >&2; exit 4", ScriptResult::failure(ScriptError::nonzeroExit(4, "")), nullptr},
        // A background child holding the output open: the run waits for it.
        {"(sleep 1; print late) & print early", ScriptResult::success("early\nlate\n"), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const Outcome o = run(shell(c.source));
        ASSERT_TRUE(o.result);
        EXPECT_EQ(*o.result, c.expected);
        EXPECT_EQ(o.calls, 1);
        EXPECT_TRUE(o.onGuiThread);
        EXPECT_FALSE(o.calledInsideRun);
        if (c.description) {
            EXPECT_EQ(o.result->error()->description(), c.description);
        }
    }
}

TEST(ScriptRunner, BothStreamsAreReadWhileTheScriptRuns) {
    // 512 KiB on each stream, interleaved: reading one stream, or only after
    // exit, would hang or cut the output.
    const Outcome o = run(shell("for i in {1..512}; do printf '%1023d\\n' $i; printf '%1023d\\n' $i >&2; done"));
    ASSERT_TRUE(o.result && o.result->output());
    EXPECT_EQ(o.result->output()->size(), 512u * 1024u);
    EXPECT_EQ(o.result->output()->substr(511 * 1024), std::string(1020, ' ') + "512\n");
}

TEST(ScriptRunner, RunawayOutputIsBoundedAndNeverStallsTheInterface) {
    const std::int64_t before = residentBytes();
    std::int64_t longestWaitMs = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestWaitMs = std::max<std::int64_t>(longestWaitMs, sinceTick.restart());
    });
    tick.start(10);
    std::int64_t peak = before;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] { peak = std::max(peak, residentBytes()); });
    sample.start(100);

    const Outcome o = run(shell("timeout 5 yes; true"));
    ASSERT_TRUE(o.result && o.result->output());
    // The first bytes are kept, cut to whole lines of "y".
    EXPECT_EQ(o.result->output()->size(), platform::ProcessRunner::kOutputLimit);
    EXPECT_EQ(o.result->output()->substr(0, 4), "y\ny\n");
    EXPECT_LT(peak - before, 100 << 20);
    EXPECT_LT(longestWaitMs, 2000);
}

TEST(ScriptRunner, ACharacterSplitByTheOutputLimitIsDropped) {
    // One byte short of the limit, then "é": the cut splits it.
    const auto limit = std::to_string(platform::ProcessRunner::kOutputLimit - 1);
    const Outcome o = run(shell("head -c " + limit + " /dev/zero | tr '\\0' a; printf '\\xc3\\xa9 more'"));
    ASSERT_TRUE(o.result && o.result->output());
    EXPECT_EQ(o.result->output()->size(), platform::ProcessRunner::kOutputLimit - 1);
}

TEST(ScriptRunner, StartedFromAWorkerItReportsOnTheGuiThread) {
    std::optional<ScriptResult> result;
    bool onGui = false;
    std::thread worker([&] {
        runScript(shell("print -n worker"), [&](const ScriptResult& r) {
            result = r;
            onGui = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));
    EXPECT_EQ(result, ScriptResult::success("worker"));
    EXPECT_TRUE(onGui);
}

TEST(ScriptRunner, AMissingInterpreterIsALaunchFailure) {
    const ScriptRunner nowhere({"/nonexistent/zsh", "/nonexistent/osascript"});
    for (const ScriptInvocation& invocation : {shell("print hi"), ScriptInvocation{ScriptLanguage::jxa, "1"}}) {
        const Outcome o = run(invocation, nowhere);
        ASSERT_TRUE(o.result && o.result->error());
        EXPECT_EQ(o.result->error()->kind, ScriptError::Kind::launchFailed);
        EXPECT_FALSE(o.result->error()->description().empty());
        EXPECT_TRUE(o.onGuiThread);
    }
}

TEST(ScriptRunner, OsascriptRequestsAndOutcomes) {
    // Driven through the fake process runner: there is no osascript here.
    fakes::Installed<fakes::FakeProcessRunner, platform::ProcessRunner> processes;
    const ScriptRunner runner;
    std::vector<ScriptResult> results;
    auto record = [&](const ScriptResult& r) { results.push_back(r); };
    for (const auto& [language, source] : std::vector<std::pair<ScriptLanguage, const char*>>{
             {ScriptLanguage::appleScript, "display dialog \"hi\""},
             {ScriptLanguage::jxa, "1+1"},
             {ScriptLanguage::jxa, "x"},
             {ScriptLanguage::appleScript, "x"},
             {ScriptLanguage::appleScript, "x"}})
        runner.run({language, source}, record);
    const auto runs = processes.runs();
    EXPECT_EQ(runs[0].request.program, "/usr/bin/osascript");
    EXPECT_EQ(runs[0].request.arguments, (std::vector<std::string>{"-l", "AppleScript", "-e", "display dialog \"hi\""}));
    EXPECT_EQ(runs[1].request.arguments, (std::vector<std::string>{"-l", "JavaScript", "-e", "1+1"}));

    processes.exit(0, 1);  // no standard error
    processes.exit(1, 1);
    processes.exit(2, 1, "dropped", "execution error: x is not defined (-2753)\n");
    processes.exit(3, 1, "", "\n");  // a lone line break is not empty
    processes.exit(4, 0, "2\n", "warning\n");
    EXPECT_EQ(results, (std::vector<ScriptResult>{
                           ScriptResult::failure(ScriptError::osaFailed("AppleScript failed")),
                           ScriptResult::failure(ScriptError::osaFailed("JavaScript failed")),
                           ScriptResult::failure(ScriptError::osaFailed("execution error: x is not defined (-2753)\n")),
                           ScriptResult::failure(ScriptError::osaFailed("\n")),
                           ScriptResult::success("2\n"),
                       }));
    EXPECT_EQ(results[3].error()->description(), "");
}

TEST(ScriptError, DescriptionsTrimButJudgeEmptinessFirst) {
    EXPECT_EQ(ScriptError::nonzeroExit(-1, "").description(), "exit -1");
    EXPECT_EQ(ScriptError::nonzeroExit(1, "\n").description(), "exit 1:");
    EXPECT_EQ(ScriptError::launchFailed("  \tcannot start\n").description(), "cannot start");
}

}  // namespace
