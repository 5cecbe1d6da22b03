// The AVI reader: reads the uncompressed frames (16, 24 or 32 bits per pixel)
// of the first video stream of a RIFF AVI file into a graphic each. The file
// map must stand at the start of the file. On success *papgr receives an
// allocated array of *pn graphics (the caller deletes the graphics and frees
// the array with MemMgr_FreeMemory); on failure the file returns to where it
// was and the last error is 11 (bad format).
#pragma once

class FILEMAP;
class GRAPHIC;

int ReadAVI(FILEMAP& f, GRAPHIC*** papgr, unsigned* pn);
