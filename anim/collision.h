// Collision meshes and object collision. A graphic's collision mesh is a
// set of grids of solid and empty cells, coarse to fine; two graphics
// collide when solid cells of theirs overlap. The full test between two
// moving objects sweeps their rectangles through the frame to find when
// they can meet, then steps pixel by pixel through the meshes.
#pragma once

#include "platform/base/types.h"

#include <cstdint>

class ANIMOBJECT;
class ANIMWINDOW;
class GRAPHIC;

// One resolution of a graphic's collision grid.
struct MESH {
    unsigned cellWidth;
    unsigned cellHeight;
    unsigned columns; // ceil(graphic width / cell width)
    unsigned rows;    // ceil(graphic height / cell height)
    // One bit per cell, row-major as one bit string (bit row * columns +
    // column, least significant bit of each word first); 1 = solid.
    std::uint32_t* cells;
    // The graphic's size when the mesh was made: cells on the right and
    // bottom edges end there.
    unsigned width;
    unsigned height;
};

// One level of a graphic's mesh set.
struct MESHLEVEL {
    unsigned long cellWidth;
    unsigned long cellHeight;
    MESH* mesh; // built on first use
};

// Mesh kinds (GRAPHIC::SetCollisionMesh).
enum : unsigned long {
    cmCoarse = 1,   // 24 x 24 cells
    cmFine = 2,     // 8 x 8 cells
    cmPixel = 4,    // 1 x 1 cells
    cmGiven = 8,    // cells of the caller's size
    cmAdd = 0x8000, // add to the levels instead of replacing them
};

// What the host is told of one collision; rectangles in client coordinates.
struct OBJECTCOLLISION {
    ANIMWINDOW* window;
    ANIMOBJECT* object; // the one being told
    ANIMOBJECT* other;
    RECT rcObject; // at the moment of contact
    RECT rcOther;
    RECT rcObjectBefore; // just before contact
    RECT rcOtherBefore;
    long dxObject, dyObject; // motion during the frame
    long dxOther, dyOther;
};

MESH* CreateMesh(GRAPHIC* graphic, unsigned cellWidth, unsigned cellHeight);
void FreeMesh(MESH* mesh);
int TestMesh(MESH* mesh, unsigned column, unsigned row);
int TestMeshPixel(MESH* mesh, long x, long y);
int MeshesCollide(MESH* m1, long x1, long y1, MESH* m2, long x2, long y2, RECT* area);

int ZephaneCheckCollision(RECT* r1, RECT* last1, GRAPHIC* g1, RECT* r2, RECT* last2, GRAPHIC* g2, OBJECTCOLLISION* out);
void ZephaneMoveRect(RECT* rc, long dx, long dy);
