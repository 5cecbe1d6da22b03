#include "input/gameinput.h"

#include "input/controls.h"

void InputPollFigure() { RepollControls(); }
bool InputMouseActive() { return fMouseCaptured() != FALSE; }
void InputSetFigurePosition(LONG x, LONG y) { SetMousePosition(x, y); }
