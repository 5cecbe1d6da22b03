// The scene's services used by the rules: lights, the textures of cube kinds
// and their representative colours, and the camera that follows the play.
#pragma once

#include "platform/base/types.h"

// Sets the ambient light to the stored level (fAmbient percent of full).
void ApplyAmbientLight(float level);
// The texture number (1 to 12) of a cube kind: 1 Gray, 2 Blue, 3 Black,
// 4 Red, 5 Green, 6 the field squares (and any other kind).
LONG TextureForKind(LONG kind);
// The colour that stands in for a texture when textures are off; 0 for
// textures that have none.
COLORREF RepresentativeColour(LONG texture);

// Camera: goals from the screen state and the figure's position, and the
// per-frame steps towards them.
bool AimCameraForState(LONG state, float x, float z);
bool StepCamera();
void PlaceCamera();
