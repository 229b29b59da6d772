// Orbel: a radial menu on the pointer's screen. With files as arguments (backup
// files), hands them to the running Orbel, or opens them itself.

#include "app/run_orbel.h"

int main(int argc, char** argv) { return orbel::runOrbel(argc, argv); }
