// The first game controller or joystick plugged in becomes joystick 1 of the
// input store: its X and Y axes (the left stick, or the direction pad when
// the stick rests), its first buttons, with the axis range 0 to 65535.
#pragma once

union SDL_Event;

namespace platform_gamepad {
// Starts SDL's game-controller subsystem once and opens a device that is
// already plugged in; false when the subsystem cannot start.
bool Start();
// Follows plugging, unplugging, axis and button events; true when the event
// was a controller or joystick event.
bool Handle(const SDL_Event& e);
// Closes the device; the store shows no joystick.
void Stop();

// The store's position for an SDL axis value (-32768 .. 32767).
unsigned AxisToPosition(int value);
}  // namespace platform_gamepad
