#pragma once

namespace bench {

// Seconds since the kernel started this process (so the dynamic loading before main counts
// too). Falls back to the first call when /proc cannot tell.
double secondsSinceProcessStart();

// Peak and current resident set size in MiB (VmHWM and VmRSS of /proc/self/status); -1 when
// unknown.
double peakResidentMiB();
double residentMiB();

}  // namespace bench
