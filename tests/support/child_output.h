#pragma once

// The output of a test run again in a child process, as a failure message
// shows it. Its skip marks are written otherwise: the test runner takes
// "[  SKIPPED ]" anywhere in a test's output for the test skipping, and
// would count the failure that shows a skipped child as a skip.

#include <QString>

namespace orbel::testing {

inline QString childOutput(QString text) {
    return text.replace(QStringLiteral("[  SKIPPED ]"), QStringLiteral("[ (skipped) ]"));
}

}  // namespace orbel::testing
