#include "shell/version.h"

const char* const kVarnoName = "Varno";
// The build gives the project's version.
const char* const kVarnoVersion = VARNO_VERSION;
