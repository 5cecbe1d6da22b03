#include "shell/version.h"

const char* const kVarnoName = "Varno";
const char* const kVarnoVersion = "0.1";
