// The script runner against the real zsh.

#include "slots/script_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <thread>

#include "fakes/fake_process_runner.h"

using namespace orbel;

namespace {

struct Outcome {
    std::optional<ScriptResult> result;
    int calls = 0;
    bool onGuiThread = false;
    bool calledInsideRun = false;
};

void waitFor(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

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
    waitFor([&] { return outcome->result.has_value(); });
    // Give a second completion the chance to show up.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return *outcome;
}

ScriptInvocation shell(std::string source) { return {ScriptLanguage::shell, std::move(source)}; }

TEST(ScriptRunner, ShellOutcomes) {
    struct Case {
        const char* source;
        ScriptResult expected;
        const char* description;  // of the error, if any
    };
    const Case cases[] = {
        {"print -n plain", ScriptResult::success("plain"), nullptr},
        // Trailing line breaks are the caller's to trim.
        {"print hello; print", ScriptResult::success("hello\n\n"), nullptr},
        // Standard error of a successful run is dropped.
        {"print out; print noise >&2", ScriptResult::success("out\n"), nullptr},
        {"exit 3", ScriptResult::failure(ScriptError::nonzeroExit(3, "")), "exit 3"},
        // Standard output of a failed run is dropped; the description trims.
        {"print out; print err >&2; exit 2", ScriptResult::failure(ScriptError::nonzeroExit(2, "err\n")),
         "exit 2: err"},
        {"print ' spaced  ' >&2; exit 255", ScriptResult::failure(ScriptError::nonzeroExit(255, " spaced  \n")),
         "exit 255:  spaced"},  // trimmed at the ends only
        // A script killed by a signal reports the signal number.
        {"print -n partial; kill -KILL $$", ScriptResult::failure(ScriptError::nonzeroExit(9, "")), "exit 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const Outcome o = run(shell(c.source));
        ASSERT_TRUE(o.result);
        EXPECT_EQ(*o.result, c.expected);
        if (c.description) {
            ASSERT_TRUE(o.result->error());
            EXPECT_EQ(o.result->error()->description(), c.description);
        }
    }
}

TEST(ScriptRunner, TheSourceIsOneArgumentOfALoginShell) {
    // Quotes, semicolons and expansions belong to the script, not to us.
    const Outcome o = run(shell("a='two words'; print -r -- \"$a|$0|${-//[^l]/}\"; [[ -o login ]] && print login"));
    ASSERT_TRUE(o.result && o.result->output());
    EXPECT_EQ(*o.result->output(), "two words|/bin/zsh|l\nlogin\n");
}

TEST(ScriptRunner, OutputThatIsNotUtf8BecomesEmpty) {
    struct Case {
        const char* source;
        ScriptResult expected;
    };
    const Case cases[] = {
        {"printf 'caf\\xe9\\n'", ScriptResult::success("")},
        {"printf '\\xc0\\xaf'", ScriptResult::success("")},           // overlong "/"
        {"printf 'caf\\xc3\\xa9 \\xe2\\x80\\xa6 \\xf0\\x9f\\x98\\x80'", ScriptResult::success("café … 😀")},
        {"printf 'bad\\xff' >&2; exit 4", ScriptResult::failure(ScriptError::nonzeroExit(4, ""))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const Outcome o = run(shell(c.source));
        ASSERT_TRUE(o.result);
        EXPECT_EQ(*o.result, c.expected);
    }
}

TEST(ScriptRunner, OutputFarBeyondAPipeBufferArrivesWhole) {
    // 512 KiB on each stream, interleaved: a runner that read one stream or
    // read only after exit would hang or cut the output.
    const Outcome o = run(shell("for i in {1..512}; do printf '%1023d\\n' $i; printf '%1023d\\n' $i >&2; done"));
    ASSERT_TRUE(o.result && o.result->output());
    const std::string& out = *o.result->output();
    EXPECT_EQ(out.size(), 512u * 1024u);
    EXPECT_EQ(out.substr(511 * 1024), std::string(1020, ' ') + "512\n");

    const Outcome failed = run(shell("head -c 300000 /dev/zero | tr '\\0' x >&2; exit 1"));
    ASSERT_TRUE(failed.result && failed.result->error());
    EXPECT_EQ(failed.result->error()->message, std::string(300000, 'x'));
}

TEST(ScriptRunner, CompletionsComeOnceOnTheGuiThreadNeverInsideRun) {
    for (const auto& invocation : {shell("print hi"), shell("exit 1"), ScriptInvocation{ScriptLanguage::jxa, "1"}}) {
        const Outcome o = run(invocation);
        ASSERT_TRUE(o.result);
        EXPECT_EQ(o.calls, 1);
        EXPECT_TRUE(o.onGuiThread);
        EXPECT_FALSE(o.calledInsideRun);
    }

    // Started from a worker thread, it still reports on the GUI thread.
    std::optional<ScriptResult> result;
    bool onGui = false;
    std::thread worker([&] {
        runScript(shell("print -n worker"), [&](const ScriptResult& r) {
            result = r;
            onGui = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    });
    worker.join();
    waitFor([&] { return result.has_value(); });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, ScriptResult::success("worker"));
    EXPECT_TRUE(onGui);
}

TEST(ScriptRunner, RunsAreIndependent) {
    std::vector<std::optional<ScriptResult>> results(4);
    for (int i = 0; i < 4; ++i)
        runScript(shell("sleep 0.$((4 - " + std::to_string(i) + ")); print -n " + std::to_string(i)),
                  [&results, i](const ScriptResult& r) { results[static_cast<std::size_t>(i)] = r; });
    waitFor([&] { return std::all_of(results.begin(), results.end(), [](const auto& r) { return r.has_value(); }); });
    for (int i = 0; i < 4; ++i) EXPECT_EQ(results[static_cast<std::size_t>(i)], ScriptResult::success(std::to_string(i)));
}

TEST(ScriptRunner, AMissingInterpreterIsALaunchFailure) {
    // No AppleScript or JavaScript interpreter on this platform: those runs
    // fail to start, and never pass for a success.
    struct stat info;
    const bool haveOsascript = ::stat("/usr/bin/osascript", &info) == 0;
    for (ScriptLanguage language : {ScriptLanguage::appleScript, ScriptLanguage::jxa}) {
        if (haveOsascript) break;
        const Outcome o = run({language, "return 1"});
        ASSERT_TRUE(o.result && o.result->error());
        EXPECT_EQ(o.result->error()->kind, ScriptError::Kind::launchFailed);
        EXPECT_FALSE(o.result->error()->description().empty());
        EXPECT_EQ(o.calls, 1);
        EXPECT_TRUE(o.onGuiThread);
    }

    // The same for a shell that is not where it should be.
    const ScriptRunner noShell(platform::ProcessRunner::shared(), {"/nonexistent/zsh", "/nonexistent/osascript"});
    const Outcome o = run(shell("print hi"), noShell);
    ASSERT_TRUE(o.result && o.result->error());
    EXPECT_EQ(o.result->error()->kind, ScriptError::Kind::launchFailed);
    EXPECT_FALSE(o.result->error()->description().empty());
    EXPECT_TRUE(o.onGuiThread);
}

TEST(ScriptRunner, OsascriptRequestsAndOutcomes) {
    // Driven through the fake process runner: there is no osascript here.
    fakes::FakeProcessRunner processes;
    const ScriptRunner runner(processes);
    std::vector<ScriptResult> results;
    auto record = [&](const ScriptResult& r) { results.push_back(r); };

    runner.run({ScriptLanguage::appleScript, "display dialog \"hi\""}, record);
    runner.run({ScriptLanguage::jxa, "1+1"}, record);
    runner.run({ScriptLanguage::jxa, "x"}, record);
    runner.run({ScriptLanguage::appleScript, "x"}, record);
    runner.run({ScriptLanguage::appleScript, "x"}, record);
    runner.run({ScriptLanguage::shell, "print hi"}, record);
    const auto runs = processes.runs();
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[0].request, (platform::ProcessRequest{"/usr/bin/osascript",
                                                         {"-l", "AppleScript", "-e", "display dialog \"hi\""},
                                                         std::nullopt}));
    EXPECT_EQ(runs[1].request.arguments, (std::vector<std::string>{"-l", "JavaScript", "-e", "1+1"}));
    EXPECT_EQ(runs[5].request, (platform::ProcessRequest{"/bin/zsh", {"-lc", "print hi"}, std::nullopt}));

    processes.exit(0, 1);                                 // no standard error
    processes.exit(1, 1);
    processes.exit(2, 1, "dropped", "execution error: x is not defined (-2753)\n");
    processes.exit(3, 1, "", "\n");                       // a lone line break is not empty
    processes.exit(4, 0, "2\n", "warning\n");
    processes.failToLaunch(5, "No such file or directory");
    ASSERT_EQ(results.size(), 6u);
    EXPECT_EQ(results[0], ScriptResult::failure(ScriptError::osaFailed("AppleScript failed")));
    EXPECT_EQ(results[1], ScriptResult::failure(ScriptError::osaFailed("JavaScript failed")));
    EXPECT_EQ(results[2],
              ScriptResult::failure(ScriptError::osaFailed("execution error: x is not defined (-2753)\n")));
    EXPECT_EQ(results[2].error()->description(), "execution error: x is not defined (-2753)");
    EXPECT_EQ(results[3], ScriptResult::failure(ScriptError::osaFailed("\n")));
    EXPECT_EQ(results[3].error()->description(), "");
    EXPECT_EQ(results[4], ScriptResult::success("2\n"));
    EXPECT_EQ(results[5], ScriptResult::failure(ScriptError::launchFailed("No such file or directory")));
}

TEST(ScriptError, DescriptionsTrimButJudgeEmptinessFirst) {
    EXPECT_EQ(ScriptError::nonzeroExit(-1, "").description(), "exit -1");
    EXPECT_EQ(ScriptError::nonzeroExit(1, "\n").description(), "exit 1:");
    EXPECT_EQ(ScriptError::launchFailed("  \tcannot start\n").description(), "cannot start");
}

}  // namespace
