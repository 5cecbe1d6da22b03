#include "input/gameinput.h"

void InputPollFigure() {}
bool InputMouseActive() { return false; }
void InputSetFigurePosition(LONG, LONG) {}
