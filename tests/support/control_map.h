#pragma once

// The places of the visible controls of Orbel's windows, written on request
// for the system tests, which click controls by what they are rather than
// by a pixel that a font or a style moves. Only the tests' own builds of the
// program have it (tests/system/for_tests); the shipped `orbel` never reads
// the variable. Inert unless the environment names a file in
// ORBEL_TEST_CONTROL_MAP. GUI thread.

namespace orbel {

// With ORBEL_TEST_CONTROL_MAP=<file>: whenever <file>.request appears, it
// is removed and <file> written (whole, by a rename) as a JSON array of the
// visible controls: for each, its window's title and X id, its type, its
// object name (a row: its number) and those of its ancestors, its text (accessible name, the
// button's or label's text, a field's placeholder), its rectangle on the
// screen, and whether it has the focus and shows it with a focus mark.
// Segments of a segmented control and the shown rows of a list come as
// controls of their own. Nothing without the variable.
void answerControlMapRequests();

}  // namespace orbel
