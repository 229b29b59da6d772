#pragma once

// The whole program, from its arguments to its exit status: what `orbel`'s
// main() runs.

namespace orbel {

int runOrbel(int argc, char** argv);

}  // namespace orbel
