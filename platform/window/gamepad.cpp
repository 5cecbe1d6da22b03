#include "platform/window/gamepad.h"

#include "platform/input/input.h"

#include <SDL.h>

namespace platform_gamepad {
namespace {
constexpr unsigned kAxisMax = 65535;
constexpr int kButtons = 4;

struct State {
    bool started = false;
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // a device SDL knows no mapping for
    SDL_JoystickID id = -1;
    int stickX = 0, stickY = 0;
    int padX = 0, padY = 0;  // direction pad: -1, 0 or 1 per axis
    unsigned buttons = 0;
};

State& st()
{
    static State s;
    return s;
}

void Publish()
{
    State& s = st();
    input_store::JoystickState j;
    if (s.controller || s.joystick) {
        j.present = true;
        j.xmin = 0;
        j.ymin = 0;
        j.xmax = kAxisMax;
        j.ymax = kAxisMax;
        // The direction pad takes over while it is held.
        const int x = s.padX ? s.padX * 32767 : s.stickX;
        const int y = s.padY ? s.padY * 32767 : s.stickY;
        j.x = AxisToPosition(x);
        j.y = AxisToPosition(y);
        j.buttons = s.buttons;
        j.numButtons = kButtons;
    }
    input_store::SetJoystick(j);
}

void Close()
{
    State& s = st();
    if (s.controller)
        SDL_GameControllerClose(s.controller);
    if (s.joystick)
        SDL_JoystickClose(s.joystick);
    s.controller = nullptr;
    s.joystick = nullptr;
    s.id = -1;
    s.stickX = s.stickY = s.padX = s.padY = 0;
    s.buttons = 0;
}

// Opens device index i when none is open yet.
void Open(int i)
{
    State& s = st();
    if (s.controller || s.joystick)
        return;
    if (SDL_IsGameController(i)) {
        s.controller = SDL_GameControllerOpen(i);
        if (s.controller)
            s.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(s.controller));
    } else {
        s.joystick = SDL_JoystickOpen(i);
        if (s.joystick)
            s.id = SDL_JoystickInstanceID(s.joystick);
    }
    Publish();
}

void SetButton(int index, bool down)
{
    if (index < 0 || index >= kButtons)
        return;
    unsigned& b = st().buttons;
    b = down ? (b | (1u << index)) : (b & ~(1u << index));
}

// Controller buttons in the order the game counts them: the bottom face
// button plants or detonates, the right one clears, the left one rolls on.
int ControllerButtonIndex(Uint8 button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return 0;
    case SDL_CONTROLLER_BUTTON_B: return 1;
    case SDL_CONTROLLER_BUTTON_X: return 2;
    case SDL_CONTROLLER_BUTTON_Y: return 3;
    default: return -1;
    }
}

void SetPad(Uint8 button, bool down)
{
    State& s = st();
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: s.padX = down ? -1 : (s.padX == -1 ? 0 : s.padX); break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: s.padX = down ? 1 : (s.padX == 1 ? 0 : s.padX); break;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: s.padY = down ? -1 : (s.padY == -1 ? 0 : s.padY); break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: s.padY = down ? 1 : (s.padY == 1 ? 0 : s.padY); break;
    default: break;
    }
}
}  // namespace

unsigned AxisToPosition(int value)
{
    if (value < -32768)
        value = -32768;
    if (value > 32767)
        value = 32767;
    return static_cast<unsigned>(value + 32768);
}

bool Start()
{
    State& s = st();
    if (s.started)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    s.started = true;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        Open(i);
        if (s.controller || s.joystick)
            break;
    }
    return true;
}

bool Handle(const SDL_Event& e)
{
    State& s = st();
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_JOYDEVICEADDED:
        // The joystick event comes for every device, the controller event
        // only for mapped ones; opening is skipped when one is open.
        Open(e.jdevice.which);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_JOYDEVICEREMOVED:
        if (e.jdevice.which == s.id) {
            Close();
            Publish();
        }
        return true;
    case SDL_CONTROLLERAXISMOTION:
        if (e.caxis.which != s.id)
            return true;
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
            s.stickX = e.caxis.value;
        else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
            s.stickY = e.caxis.value;
        Publish();
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        if (e.cbutton.which != s.id)
            return true;
        const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
        SetButton(ControllerButtonIndex(e.cbutton.button), down);
        SetPad(e.cbutton.button, down);
        Publish();
        return true;
    }
    case SDL_JOYAXISMOTION:
        if (!s.joystick || e.jaxis.which != s.id)
            return true;
        if (e.jaxis.axis == 0)
            s.stickX = e.jaxis.value;
        else if (e.jaxis.axis == 1)
            s.stickY = e.jaxis.value;
        Publish();
        return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (!s.joystick || e.jbutton.which != s.id)
            return true;
        SetButton(e.jbutton.button, e.type == SDL_JOYBUTTONDOWN);
        Publish();
        return true;
    case SDL_JOYHATMOTION:
        if (!s.joystick || e.jhat.which != s.id)
            return true;
        s.padX = (e.jhat.value & SDL_HAT_LEFT) ? -1 : (e.jhat.value & SDL_HAT_RIGHT) ? 1 : 0;
        s.padY = (e.jhat.value & SDL_HAT_UP) ? -1 : (e.jhat.value & SDL_HAT_DOWN) ? 1 : 0;
        Publish();
        return true;
    default:
        return false;
    }
}

void Stop()
{
    Close();
    input_store::SetJoystick({});
}
}  // namespace platform_gamepad
