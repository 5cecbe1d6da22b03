// The event pump that feeds the window system from SDL. It installs itself
// as the queue's input source when the platform library loads; the queue
// runs it whenever it is read.
#pragma once

union SDL_Event;
struct SDL_Keysym;

namespace platform_events {
// Starts SDL's video (or, failing that, event) subsystem once; false when
// neither can start.
bool EnsureSdl();
// Turns every waiting SDL event into input, waiting up to waitMs for the
// first one.
void Pump(int waitMs);
// Handles one event (tests hand events in directly or through SDL's queue).
void Handle(const SDL_Event& e);
// The virtual-key code of a key (0 for keys the program does not know).
int VirtualKeyOf(const SDL_Keysym& key);
// Forgets keys held by the presenter, leaves relative mouse mode and drops
// waiting events.
void Reset();
}  // namespace platform_events
