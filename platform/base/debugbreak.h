// Breaking into a debugger: stops the program in the debugger that is
// attached to it. Without one there is nobody to stop for: the request is
// noted on standard error and the program goes on.
#pragma once

void DebugBreak();

namespace debugger {
// Whether a debugger traces the program now.
bool IsAttached();
// Number of breaks asked for so far (for tests).
int BreakCount();
}  // namespace debugger
