// The real program with a release feed of the test's own: the address in
// ORBEL_TEST_UPDATE_FEED_URL stands in for the build's feed. Only the system
// tests build it; the shipped `orbel` has no such way in. It writes where its
// controls are on request, as orbel_for_tests does.
#include <QCoreApplication>
#include <QUrl>

#include "app/run_orbel.h"
#include "settings/update_checker.h"
#include "support/control_map.h"

using orbel::answerControlMapRequests;
Q_COREAPP_STARTUP_FUNCTION(answerControlMapRequests)

int main(int argc, char** argv) {
    // Made before the program's own code asks for it, and kept to the end, as
    // the build's checker is.
    auto* checker = new orbel::UpdateChecker(QUrl(qEnvironmentVariable("ORBEL_TEST_UPDATE_FEED_URL")));
    orbel::UpdateChecker::setShared(checker);
    return orbel::runOrbel(argc, argv);
}
