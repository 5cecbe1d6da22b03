// One frame of play in the order the frame callback runs it: the level
// introduction, the input step with the camera, the game step, and the
// camera frame put where the camera now is. No window is needed.
#pragma once

void PlayFrame();
// The same without placing the camera frame: the level introduction, the
// input step with the camera and the game step.
void PlayFrameSteps();
