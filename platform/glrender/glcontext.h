// The one OpenGL 3.3 core context of the process, on a hidden SDL window.
#pragma once

#include <string>

namespace glcontext {
// Makes the context once; false (with the reason) when it cannot be made.
// Later calls return the first result.
bool Ensure(std::string* pError);
// Makes the context current on this thread; false when there is none.
bool MakeCurrent();
// Whether the context draws on the processor (a software rasteriser such
// as llvmpipe or softpipe): every pixel a GL draw covers then costs
// processor time. False when there is no context.
bool IsSoftware();
} // namespace glcontext
