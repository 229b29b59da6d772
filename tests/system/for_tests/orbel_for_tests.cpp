// The real program as the system tests start it: it also writes where its
// controls are on request (ORBEL_TEST_CONTROL_MAP). Only the tests build it;
// the shipped `orbel` has no such way in.
#include <QCoreApplication>

#include "app/run_orbel.h"
#include "support/control_map.h"

// Called as the application object is made, before the program's event loop.
using orbel::answerControlMapRequests;
Q_COREAPP_STARTUP_FUNCTION(answerControlMapRequests)

int main(int argc, char** argv) { return orbel::runOrbel(argc, argv); }
