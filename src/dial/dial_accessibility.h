#pragma once

// What assistive technologies read of the dial: the view is one group,
// "Orbel radial menu", whose value tells the slot count and the highlighted
// slot, and each wedge is a button child: its title (or "Volume"), a hint,
// the volume wedge's level as its value, selected while highlighted.

namespace orbel::dial {

// Makes the dial's view answer with the interfaces above; once per process.
void installDialAccessibility();

}  // namespace orbel::dial
