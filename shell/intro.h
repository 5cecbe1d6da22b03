// The opening: the maker's caption fading in and out over a silent black
// screen with its sting, then the title sound and the main menu over the
// spinning title cubes.
#pragma once

#include "anim/animwin.h"

// Lightness (0..255) of the caption ms milliseconds after its first frame.
int IntroLightness(DWORD ms);

// Enters the intro: the caption, its sound, the cursor hidden.
void StartIntro();
// The intro's member of the frame chain.
int IntroService(ANIMWINDOW* window, svcAnimWindow code);
// Frees what the intro holds (the caption and its sounds).
void EndIntro();
// Whether the maker's caption is on screen.
bool fIntroCaptionShown();
