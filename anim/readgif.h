// The GIF reader: decodes every image of a GIF89a file into a graphic of its
// own. The file map must stand at the start of the file. On success
// *papgr receives an allocated array of *pn graphics (the caller deletes the
// graphics and frees the array with MemMgr_FreeMemory); on failure the file
// returns to where it was and the last error is 11 (bad format).
#pragma once

class FILEMAP;
class GRAPHIC;

int ReadGIF(FILEMAP& f, GRAPHIC*** papgr, unsigned* pn);
