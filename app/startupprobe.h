#pragma once

// Hook of the start-up benchmark. When the environment variable
// RM4630K_FIRST_PAINT is set, the first call (from a window's first paint)
// waits for the rest of that frame, then writes the wall-clock time in
// microseconds and the peak resident memory so far in KiB to standard output
// ("first-paint-us <t> peak-kib <m>") and ends the program. Otherwise it does
// nothing.
namespace StartupProbe {

void firstPaint();

} // namespace StartupProbe
