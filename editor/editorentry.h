// The way back into the puzzle editor after one of its puzzles was tested.
#pragma once

#include "game/puzzle.h"

// Opens the editor with the puzzle that was tested. Until the editor screen
// exists this keeps the puzzle and returns to the main-menu state.
void OpenEditor(const PUZZLE& puzzle);
// The puzzle last handed back to the editor, or null when none was.
const PUZZLE* EditorReturnedPuzzle();
