#pragma once

// The program's name and version as shown to the player.
extern const char* const kVarnoName;
extern const char* const kVarnoVersion;
