#pragma once

// Runs one test of this program again in a child process whose offscreen
// platform has the screens of `screensJson` (Qt's offscreen "configfile"
// form), with `mode` in ORBEL_OFFSCREEN_MODE for the child to read; the
// child's test is expected to pass, having run.

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include "support/child_output.h"

namespace orbel::testing {

inline void runWithScreens(const QString& filter, const QString& mode, const QString& screensJson) {
    QTemporaryFile config;
    ASSERT_TRUE(config.open() && config.write(screensJson.toUtf8()) > 0 && config.flush());
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName());
    env.remove("QT_SCALE_FACTOR");
    env.insert("ORBEL_OFFSCREEN_MODE", mode);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=" + filter});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString out = childOutput(child.readAllStandardOutput() + child.readAllStandardError());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

// The same test on a 1024 x 600 screen ("small") and on one of 1920 x 1080
// pixels at a ratio of two ("dense"), one after the other.
inline void runOnSmallAndDenseScreens(const QString& filter) {
    runWithScreens(filter, "small", R"({"windowFrameMargins": false, "screens": [
        {"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600, "logicalDpi": 96, "dpr": 1}]})");
    runWithScreens(filter, "dense", R"({"windowFrameMargins": false, "screens": [
        {"name": "dense", "x": 0, "y": 0, "width": 960, "height": 540, "logicalDpi": 96, "dpr": 2}]})");
}

// In the child: the mode it was started with, empty in a normal run.
inline QString offscreenMode() { return qEnvironmentVariable("ORBEL_OFFSCREEN_MODE"); }

}  // namespace orbel::testing
