#include "editor/editor.h"

#include "editor/editorcheck.h"

#include "anim/animwin.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "editor/editorpanel.h"
#include "game/avatar.h"
#include "game/field.h"
#include "game/flow.h"
#include "game/game.h"
#include "game/hint.h"
#include "levelfile/datafile.h"
#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/rmmath.h"
#include "platform/input/input.h"
#include "render/scene.h"
#include "render/visual.h"
#include "shell/cursor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The editor's camera looks down the field in this direction; where it
// stands follows the field's size and the screen (FitEditorCamera).
constexpr D3DVECTOR kEditorCameraSource = {0, 13.2f, -11.1f};
constexpr D3DVECTOR kEditorCameraTarget = {0, 12.3f, -10.7f};
// Room kept free around the field's picture, in pixels.
constexpr LONG kFreeMargin = 6;
constexpr float kEditorCubeSize = 0.98f;

// The last point the mouse was seen at, to pick again after a click.
struct MOUSEPOINT {
    bool fKnown;
    LONG x, y;
};
MOUSEPOINT s_mouse{};

EDITOR& E() { return g.Editor; }

LONG Width() { return std::clamp<LONG>(E().Puzzle.lWidth, kMinWidth, kMaxWidth); }

bool Ask(LONG idText)
{
    bool (*ask)(LONG) = EditorSeams().pfnAskYesNo ? EditorSeams().pfnAskYesNo : FlowSeams().pfnAskYesNo;
    return ask && ask(idText);
}

void Message(LONG idText)
{
    if (EditorSeams().pfnMessage)
        EditorSeams().pfnMessage(idText);
}

void RefreshStatus()
{
    void (*refresh)() = EditorSeams().pfnRefreshStatus ? EditorSeams().pfnRefreshStatus : FlowSeams().pfnRefreshStatus;
    if (refresh)
        refresh();
}

void ShowEditorMenu()
{
    if (EditorSeams().pfnShowEditorMenu)
        EditorSeams().pfnShowEditorMenu();
}

// ---- Panel calls ----

void PanelValues()
{
    if (EditorPanelOps().pfnSetValues)
        EditorPanelOps().pfnSetValues(E().Puzzle.lSpeed, E().Puzzle.lMines);
}

void PanelCreate()
{
    if (EditorPanelOps().pfnCreate)
        EditorPanelOps().pfnCreate(EditorSeams().pWindow, E().lKind, E().Puzzle.lSpeed, E().Puzzle.lMines);
}

void PanelDestroy()
{
    if (EditorPanelOps().pfnDestroy)
        EditorPanelOps().pfnDestroy();
}

void ShowLoadDialogView()
{
    const EDITOR& l = E();
    if (EditorPanelOps().pfnShowLoadDialog)
        EditorPanelOps().pfnShowLoadDialog(EditorSeams().pWindow, LOADDIALOGVIEW{LoadDialogLevels(), LoadDialogPuzzles(),
                                                                                l.lLoadLevel, l.lLoadPuzzle});
}

void RemoveLoadDialogView()
{
    if (EditorPanelOps().pfnRemoveLoadDialog)
        EditorPanelOps().pfnRemoveLoadDialog();
}

// ---- Frames and cubes ----

// Takes a frame out of its parent and lets it go. A frame without a parent
// is a fault of the bookkeeping: it is reported and only released.
void DropFrame(IDirect3DRMFrame2** ppFrame)
{
    IDirect3DRMFrame2* frame = *ppFrame;
    *ppFrame = nullptr;
    if (!frame)
        return;
    IDirect3DRMFrame2* _pParent = frame->GetParentFrame();
    if (ZASSERT(_pParent, "editor"))
        _pParent->DeleteChild(frame);
    frame->Release();
}

float CellX(LONG x) { return static_cast<float>(x) - static_cast<float>(Width() - 1) / 2.0f; }
float CellZ(LONG z) { return -0.5f - static_cast<float>(z); }

void ReleaseCube(LONG xx, LONG zz)
{
    EDITORCUBE& c = g.Editor.aCubes[zz][xx];
    if (!c.pVisual && !c.pFrame)
        return;
    FreeVisual(c.pVisual);
    c.pVisual = nullptr;
    if (ZASSERT(g.Editor.aCubes[zz][xx].pFrame, "editor"))
        DropFrame(&c.pFrame);
}

void ReleaseCubes()
{
    for (LONG z = 0; z < kFormationRows; ++z)
        for (LONG x = 0; x < kMaxWidth; ++x)
            ReleaseCube(x, z);
}

void BuildCube(LONG x, LONG z)
{
    const LONG kind = E().Puzzle.aFormation[z][x];
    if (kind <= ckNone || kind >= ckCount || !g.Render.pFramePrimary)
        return;
    VISUAL* v = MakeBox(0, 0, 0, kEditorCubeSize, kEditorCubeSize, kEditorCubeSize, ColourForKind(kind), false);
    IDirect3DRMFrame2* f = v ? CreateFrame(g.Render.pFramePrimary) : nullptr;
    if (!f) {
        FreeVisual(v);
        return;
    }
    ApplyKindLook(v, kind);
    SetFramePosition(f, CellX(x), 0.5f, CellZ(z));
    ShowVisual(v, f);
    E().aCubes[z][x] = EDITORCUBE{v, f};
}

void BuildCubes()
{
    ReleaseCubes();
    for (LONG z = 0; z < kFormationRows; ++z)
        for (LONG x = 0; x < Width(); ++x)
            BuildCube(x, z);
}

// The floor of the edited puzzle's size. The active puzzle's size follows,
// since the scene's square positions are measured on it.
void BuildFloor()
{
    ReleaseFloor();
    ACTIVEPUZZLE& ap = g.ActivePuzzle;
    ap.lWidth = Width();
    ap.lLength = std::clamp<LONG>(E().Puzzle.lLength, kMinLength, kMaxLength);
    if (!g.Render.pFramePrimary)
        return;
    ap.pFloor = MakeFloor(ap.lWidth, ap.lLength);
    ShowVisual(ap.pFloor, g.Render.pFramePrimary);
    if (E().fOpen)
        FitEditorCamera();
}

// The cursor may mark a cell whose cube or position changed: it is made
// again from the last mouse point.
void PickAgain()
{
    RemoveCursor();
    if (s_mouse.fKnown)
        PickCell(s_mouse.x, s_mouse.y);
}

// After a change of the formation or the field's size.
void Rebuilt()
{
    BuildFloor();
    BuildCubes();
    E().bModified = TRUE;
    PickAgain();
}

// Makes the edited record safe to index and show: sizes within the
// limits, cells beyond the width and unknown kinds empty.
void Sanitise(PUZZLE* p)
{
    p->lWidth = std::clamp<LONG>(p->lWidth, kMinWidth, kMaxWidth);
    p->lLength = std::clamp<LONG>(p->lLength, kMinLength, kMaxLength);
    for (auto& row : p->aFormation)
        for (LONG x = 0; x < kMaxWidth; ++x)
            if (x >= p->lWidth || row[x] < ckNone || row[x] >= ckCount)
                row[x] = ckNone;
}

const PUZZLE* ListPuzzle(LONG level, LONG puzzle)
{
    if (level < 1 || level > g.Levels.cLevels)
        return nullptr;
    const LEVEL& lv = g.Levels.pLevels[level - 1];
    if (puzzle < 1 || puzzle > lv.cPuzzles)
        return nullptr;
    return &lv.pPuzzles[puzzle - 1];
}

LONG PuzzlesOf(LONG level)
{
    return level >= 1 && level <= g.Levels.cLevels ? g.Levels.pLevels[level - 1].cPuzzles : 0;
}

// Before New, Load and Close: Yes saves, No drops the changes, Cancel
// keeps them and stops the command (false).
bool AskToSave()
{
    EDITOR& l = E();
    if (!l.bModified)
        return true;
    int answer = edAnswerNo;
    if (EditorSeams().pfnAskYesNoCancel)
        answer = EditorSeams().pfnAskYesNoCancel(idsEditorSaveQuestion);
    else
        answer = Ask(idsEditorSaveQuestion) ? edAnswerYes : edAnswerNo;
    if (answer != edAnswerYes && answer != edAnswerNo)
        return false;
    if (answer == edAnswerYes)
        SavePuzzle();
    l.bModified = FALSE;
    return true;
}

void CloseWithoutAsking()
{
    EDITOR& l = E();
    if (l.fHooked && l.pHookWindow)
        l.pHookWindow->RemoveHook(EditorHook);
    l.fHooked = FALSE;
    l.pHookWindow = nullptr;
    SetCursorWanted(FALSE);
    if (l.fLoadDialog)
        RemoveLoadDialogView();
    l.fLoadDialog = FALSE;
    PanelDestroy();
    RemoveCursor();
    ReleaseCubes();
    ReleaseFloor();
    l.fOpen = FALSE;
    l.fControlsDisabled = FALSE;
    s_mouse = MOUSEPOINT{};
}

template <typename T> bool AppendZeroed(T** array, LONG* count)
{
    unsigned capacity = static_cast<unsigned>(*count);
    if (!MemMgr_ReallocateMemory(sizeof(T), reinterpret_cast<void**>(array), &capacity,
                                 static_cast<unsigned>(*count) + 1, 1, 0, 0, __FILE__, __LINE__))
        return false;
    (*array)[(*count)++] = T{};
    return true;
}

bool Inside(const RECT& rc, LONG x, LONG y) { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; }

bool HasDestructible(const PUZZLE& p)
{
    for (const auto& row : p.aFormation)
        for (LONG kind : row)
            if (IsDestructible(kind))
                return true;
    return false;
}

}  // namespace

EDITORSEAMS& EditorSeams()
{
    static EDITORSEAMS seams{};
    return seams;
}

// ---- Opening and closing ----------------------------------------------------

void OpenEditor(const PUZZLE* pSrc)
{
    EDITOR& l = E();
    EndSolutionShow();
    if (l.fOpen)
        CloseWithoutAsking();
    const LONG level = std::max<LONG>(1, g.lLevel);
    const LONG puzzle = std::max<LONG>(1, g.lPuzzle);

    ReleaseField();
    AvatarRelease();
    ReleaseFloor();
    HideHint();
    SetCursorWanted(TRUE);
    EditorStatus(0, 0);
    RefreshStatus();

    l.fOpen = TRUE;
    l.fLoadDialog = FALSE;
    l.fControlsDisabled = FALSE;
    l.lKind = ckGray;
    l.lSelX = l.lSelZ = -1;
    s_mouse = MOUSEPOINT{};
    PanelCreate();
    if (ANIMWINDOW* w = EditorSeams().pWindow) {
        l.fHooked = w->SetHook(EditorHook, 0xFFFF) != 0;
        l.pHookWindow = l.fHooked ? w : nullptr;
    }
    g.lGameState = gsEditor;

    RENDER& r = g.Render;
    r.vecCameraSource = r.vecCameraSourceGoal = kEditorCameraSource;
    r.vecCameraTarget = r.vecCameraTargetGoal = kEditorCameraTarget;
    if (r.pFrameCamera)
        PlaceCamera();

    if (ListPuzzle(level, puzzle))
        LoadIntoEditor(level, puzzle, pSrc);
    else if (!pSrc)
        LoadIntoEditor(1, 1, nullptr);
    else
        LoadIntoEditor(level, puzzle, pSrc);
    if (pSrc)
        ShowEditorMenu();
}

bool CloseEditor()
{
    if (!E().fOpen)
        return true;
    if (!AskToSave())
        return false;
    CloseWithoutAsking();
    return true;
}

bool QuitEditor()
{
    if (!E().fOpen)
        return true;
    if (!CloseEditor())
        return false;
    g.lGameState = gsMenu;
    // "Edit Level L, Puzzle P" does not stay over the main menu.
    RefreshStatus();
    return true;
}

bool fEditorOpen() { return E().fOpen != FALSE; }

// ---- The edited puzzle ------------------------------------------------------

PUZZLE NewPuzzleValues(LONG lLevel, LONG lPuzzle)
{
    PUZZLE p{};
    p.lWidth = 6;
    p.lLength = 8;
    p.lSpeed = 0;
    p.lMines = 4;
    const PUZZLE* before = nullptr;
    if (lPuzzle > 1)
        before = ListPuzzle(lLevel, lPuzzle - 1);
    else if (lLevel > 1)
        before = ListPuzzle(lLevel - 1, PuzzlesOf(lLevel - 1));
    if (before) {
        p.lWidth = before->lWidth;
        p.lLength = before->lLength;
        p.lSpeed = before->lSpeed;
        p.lMines = before->lMines;
    }
    return p;
}

void NextFreePuzzle(LONG* plLevel, LONG* plPuzzle)
{
    const LONG n = g.Levels.cLevels;
    LONG level = 1, puzzle = 1;
    if (n == 1) {
        const LONG c = PuzzlesOf(1);
        if (c > 9)
            level = 2;
        else
            puzzle = c + 1;
    } else if (n > 1) {
        const LONG last = PuzzlesOf(n), before = PuzzlesOf(n - 1);
        if (last < before) {
            level = n;
            puzzle = last + 1;
        } else {
            level = n + 1;
        }
    }
    *plLevel = level;
    *plPuzzle = puzzle;
}

void LoadIntoEditor(LONG lLevel, LONG lPuzzle, const PUZZLE* pSrc)
{
    EDITOR& l = E();
    l.lLevel = std::max<LONG>(1, lLevel);
    l.lPuzzle = std::max<LONG>(1, lPuzzle);
    if (pSrc) {
        l.Puzzle = *pSrc;
    } else if (const PUZZLE* p = ListPuzzle(l.lLevel, l.lPuzzle)) {
        l.Puzzle = *p;
        l.bModified = FALSE;
    } else {
        l.Puzzle = NewPuzzleValues(l.lLevel, l.lPuzzle);
        l.bModified = FALSE;
    }
    Sanitise(&l.Puzzle);
    RemoveCursor();
    BuildFloor();
    BuildCubes();
    EditorStatus(l.lLevel, l.lPuzzle);
    RefreshStatus();
    PanelValues();
    PickAgain();
}

void Resize(LONG dx, LONG dz)
{
    EDITOR& l = E();
    if (!l.fOpen || l.fLoadDialog)
        return;
    PUZZLE& p = l.Puzzle;
    bool changed = false;
    if (dx > 0 && p.lWidth <= kMaxWidth - 1) {
        ++p.lWidth;
        changed = true;
    } else if (dx < 0 && p.lWidth > kMinWidth) {
        bool empty = true;
        for (const auto& row : p.aFormation)
            empty = empty && row[p.lWidth - 1] == ckNone;
        if (empty) {
            --p.lWidth;
            changed = true;
        }
    }
    if (dz > 0 && p.lLength <= kMaxLength - 1) {
        ++p.lLength;
        changed = true;
    } else if (dz < 0 && p.lLength > kMinLength) {
        --p.lLength;
        changed = true;
    }
    if (changed)
        Rebuilt();
}

void Shift(LONG dx, LONG dz)
{
    EDITOR& l = E();
    if (!l.fOpen || l.fLoadDialog)
        return;
    auto& f = l.Puzzle.aFormation;
    const LONG w = Width();
    auto columnEmpty = [&](LONG x) {
        return std::all_of(std::begin(f), std::end(f), [x](const auto& row) { return row[x] == ckNone; });
    };
    auto rowEmpty = [&](LONG z) { return std::all_of(f[z], f[z] + w, [](LONG k) { return k == ckNone; }); };
    bool moved = false;
    if (dx < 0 && columnEmpty(0)) {
        for (auto& row : f) {
            std::copy(row + 1, row + w, row);
            row[w - 1] = ckNone;
        }
        moved = true;
    } else if (dx > 0 && columnEmpty(w - 1)) {
        for (auto& row : f) {
            std::copy_backward(row, row + w - 1, row + w);
            row[0] = ckNone;
        }
        moved = true;
    }
    if (dz < 0 && rowEmpty(0)) {
        for (LONG z = 0; z < kFormationRows - 1; ++z)
            std::copy(f[z + 1], f[z + 1] + kMaxWidth, f[z]);
        std::fill(f[kFormationRows - 1], f[kFormationRows - 1] + kMaxWidth, ckNone);
        moved = true;
    } else if (dz > 0 && rowEmpty(kFormationRows - 1)) {
        for (LONG z = kFormationRows - 1; z > 0; --z)
            std::copy(f[z - 1], f[z - 1] + kMaxWidth, f[z]);
        std::fill(f[0], f[0] + kMaxWidth, ckNone);
        moved = true;
    }
    if (moved)
        Rebuilt();
}

void SelectCubeKind(LONG kind)
{
    if (kind < ckGray || kind > ckBlue)
        return;
    E().lKind = kind;
    if (EditorPanelOps().pfnSelectKind)
        EditorPanelOps().pfnSelectKind(kind);
}

namespace {
// Sets one of the puzzle's numbers within its range; a change marks the
// puzzle modified. The panel shows the values either way.
void SetPuzzleNumber(LONG* field, LONG value, LONG low, LONG high)
{
    value = std::clamp(value, low, high);
    if (*field != value) {
        *field = value;
        E().bModified = TRUE;
    }
    PanelValues();
}
}  // namespace

void SetEditorSpeed(LONG speed)
{
    SetPuzzleNumber(&E().Puzzle.lSpeed, speed, kEditorMinSpeed, kEditorMaxSpeed);
}

void SetEditorMines(LONG mines)
{
    SetPuzzleNumber(&E().Puzzle.lMines, mines, kEditorMinMines, kEditorMaxMines);
}

// ---- The view ---------------------------------------------------------------

namespace {
struct VIEWBASIS {
    D3DVECTOR dir, right, up;
};

// The camera's axes for the editor's direction, made as PlaceCamera makes
// them.
VIEWBASIS EditorBasis()
{
    using namespace rmmath;
    VIEWBASIS b{};
    b.dir = Normalize(Sub(kEditorCameraTarget, kEditorCameraSource));
    D3DVECTOR right = Cross(Normalize({0, 1, 1}), b.dir);
    right.y = 0;
    b.right = Normalize(right);
    b.up = Normalize(Cross(b.dir, b.right));
    return b;
}

struct BOUNDS {
    double left, top, right, bottom;
};
}  // namespace

RECT EditorFreeArea(LONG screenWidth, LONG screenHeight)
{
    RECT menu{};
    const bool known = EditorSeams().pfnMenuRect && EditorSeams().pfnMenuRect(&menu);
    if (!known) {
        // The editor menu's column: from 2% of the width, its widest label
        // about a quarter of the width.
        menu = RECT{screenWidth * 2 / 100, screenHeight * 52 / 100, screenWidth * 27 / 100, screenHeight};
    }
    const LONG bar =
        EditorSeams().pfnTopBarHeight ? EditorSeams().pfnTopBarHeight() : std::max<LONG>(screenHeight / 22, 1);
    const RECT panel = EditorPanelLayout(screenWidth, screenHeight).rcPanel;
    // The menu has a dark panel half a line around its entries.
    const LONG menuRight = menu.right + screenHeight / 50;
    return RECT{menuRight + kFreeMargin, bar + kFreeMargin, panel.left - kFreeMargin, screenHeight - kFreeMargin};
}

void EditorCameraFor(LONG width, LONG length, const RECT& rcFree, LONG vw, LONG vh, float field, D3DVECTOR* pSource,
                     D3DVECTOR* pTarget)
{
    using namespace rmmath;
    const VIEWBASIS b = EditorBasis();
    const double halfW = width / 2.0;
    // The field's corners on the floor, and the corners of the cubes' tops
    // over the first six rows.
    const D3DVECTOR centre{0, 0.5f, static_cast<float>(-length / 2.0)};
    std::vector<D3DVECTOR> points;
    for (double x : {-halfW, halfW}) {
        for (double z : {0.0, -static_cast<double>(length)})
            points.push_back({static_cast<float>(x), 0, static_cast<float>(z)});
        for (double z : {0.0, -static_cast<double>(kFormationRows)})
            points.push_back({static_cast<float>(x), 1, static_cast<float>(z)});
    }
    const double scale = (vw / 2.0) / std::max(field, 0.01f);
    // Where the points land for a camera t back from the centre along the
    // view and shifted by (a, b) across it.
    auto project = [&](double t, double a, double bb) {
        BOUNDS box{1e9, 1e9, -1e9, -1e9};
        for (const D3DVECTOR& p : points) {
            const D3DVECTOR d = Sub(p, centre);
            const double xc = Dot(d, b.right) - a, yc = Dot(d, b.up) - bb, zc = Dot(d, b.dir) + t;
            if (zc <= 0.1)
                return BOUNDS{-1e9, -1e9, 1e9, 1e9};
            const double sx = vw / 2.0 + scale * xc / zc, sy = vh / 2.0 - scale * yc / zc;
            box.left = std::min(box.left, sx);
            box.right = std::max(box.right, sx);
            box.top = std::min(box.top, sy);
            box.bottom = std::max(box.bottom, sy);
        }
        return box;
    };
    const double freeCx = (rcFree.left + rcFree.right) / 2.0, freeCy = (rcFree.top + rcFree.bottom) / 2.0;
    // Shifts the camera across the view until the picture's middle is the
    // free area's middle; a shift moves the picture by about scale / t.
    auto centred = [&](double t, double* pa, double* pb) {
        double a = 0, bb = 0;
        for (int i = 0; i < 12; ++i) {
            const BOUNDS box = project(t, a, bb);
            a += ((box.left + box.right) / 2.0 - freeCx) * t / scale;
            bb -= ((box.top + box.bottom) / 2.0 - freeCy) * t / scale;
        }
        *pa = a;
        *pb = bb;
        return project(t, a, bb);
    };
    auto fits = [&](const BOUNDS& box) {
        return box.left >= rcFree.left && box.right <= rcFree.right && box.top >= rcFree.top &&
               box.bottom <= rcFree.bottom;
    };
    // The nearest distance at which the centred picture fits.
    double nearT = 2, farT = 200, a = 0, bb = 0;
    for (int i = 0; i < 40; ++i) {
        const double t = (nearT + farT) / 2;
        double ta, tb;
        if (fits(centred(t, &ta, &tb)))
            farT = t;
        else
            nearT = t;
    }
    centred(farT, &a, &bb);
    const D3DVECTOR source = Add(Sub(Add(centre, Mul(b.right, static_cast<float>(a))),
                                     Mul(b.dir, static_cast<float>(farT))),
                                 Mul(b.up, static_cast<float>(bb)));
    *pSource = source;
    *pTarget = Add(source, b.dir);
}

void FitEditorCamera()
{
    const EDITOR& l = E();
    ANIMWINDOW* w = EditorSeams().pWindow;
    IDirect3DRMViewport* viewport = w ? w->Get3dViewport() : nullptr;
    RENDER& r = g.Render;
    if (!l.fOpen || !viewport || w->GetWidth() <= 0 || w->GetHeight() <= 0)
        return;
    const LONG vw = static_cast<LONG>(viewport->GetWidth()), vh = static_cast<LONG>(viewport->GetHeight());
    RECT free = EditorFreeArea(w->GetWidth(), w->GetHeight());
    // The free area in the viewport's own pixels.
    free.left -= viewport->GetX();
    free.right -= viewport->GetX();
    free.top -= viewport->GetY();
    free.bottom -= viewport->GetY();
    // The last camera is kept while nothing it depends on changed.
    struct FITKEY {
        LONG width, length, vw, vh;
        RECT free;
        float field;
    };
    static FITKEY last{};
    static D3DVECTOR source{}, target{};
    const FITKEY key{Width(), std::clamp<LONG>(l.Puzzle.lLength, kMinLength, kMaxLength), vw, vh, free,
                     viewport->GetField()};
    if (std::memcmp(&key, &last, sizeof key) != 0) {
        EditorCameraFor(key.width, key.length, free, vw, vh, key.field, &source, &target);
        last = key;
    }
    r.vecCameraSource = r.vecCameraSourceGoal = source;
    r.vecCameraTarget = r.vecCameraTargetGoal = target;
    if (r.pFrameCamera)
        PlaceCamera();
}

// ---- The mouse --------------------------------------------------------------

void RemoveCursor()
{
    EDITOR& l = E();
    l.lSelX = l.lSelZ = -1;
    if (!l.pSel && !l.pFrameSel)
        return;
    FreeVisual(l.pSel);
    l.pSel = nullptr;
    if (ZASSERT(l.pFrameSel, "editor"))
        DropFrame(&l.pFrameSel);
}

void SetCursorCell(LONG x, LONG z)
{
    EDITOR& l = E();
    if (x < 0 || x >= Width() || z < 0 || z >= kFormationRows) {
        RemoveCursor();
        return;
    }
    if (l.pSel && l.lSelX == x && l.lSelZ == z)
        return;
    RemoveCursor();
    if (!g.Render.pFramePrimary)
        return;
    const LONG kind = l.Puzzle.aFormation[z][x];
    VISUAL* v = MakeCursorSquare(kind);
    IDirect3DRMFrame2* f = v ? CreateFrame(g.Render.pFramePrimary) : nullptr;
    if (!f) {
        FreeVisual(v);
        return;
    }
    SetFramePosition(f, CellX(x), kind != ckNone ? 1.0f : 0.005f, CellZ(z));
    ShowVisual(v, f);
    l.pSel = v;
    l.pFrameSel = f;
    l.lSelX = x;
    l.lSelZ = z;
}

void PickCell(LONG x, LONG y)
{
    s_mouse = MOUSEPOINT{true, x, y};
    EDITOR& l = E();
    if (!l.fOpen || l.fLoadDialog || l.fControlsDisabled)
        return;
    ANIMWINDOW* w = EditorSeams().pWindow;
    IDirect3DRMViewport* viewport = w ? w->Get3dViewport() : nullptr;
    if (!viewport)
        return;
    LONG cx = -1, cz = -1;
    IDirect3DRMPickedArray* picked = nullptr;
    if (viewport->Pick(x, y, &picked) == D3DRM_OK && picked) {
        const DWORD n = std::min<DWORD>(picked->GetSize(), 2);
        for (DWORD i = 0; i < n; ++i) {
            IDirect3DRMVisual* visual = nullptr;
            if (picked->GetPick(i, &visual, nullptr, nullptr) != D3DRM_OK || !visual)
                continue;
            // The frames that show it keep it alive; only the identity counts.
            IDirect3DRMMesh* mesh = visual->AsMesh();
            visual->Release();
            if (!mesh || (l.pSel && mesh == l.pSel->pMesh))
                continue;
            for (LONG z = 0; z < kFormationRows && cx < 0; ++z)
                for (LONG c = 0; c < kMaxWidth; ++c)
                    if (l.aCubes[z][c].pVisual && l.aCubes[z][c].pVisual->pMesh == mesh) {
                        cx = c;
                        cz = z;
                        break;
                    }
            const VISUAL* floor = g.ActivePuzzle.pFloor;
            if (cx < 0 && floor && mesh == floor->pMesh) {
                float X = 0, Y = 0, Z = 0;
                if (w->ScreenToFrame(g.Render.pFramePrimary, &X, &Y, &Z, 0.1f, 0.9f, x, y)) {
                    const LONG column = static_cast<LONG>(std::floor(static_cast<float>(Width()) / 2.0f + X));
                    const LONG row = static_cast<LONG>(std::floor(-Z));
                    if (column >= 0 && column < Width() && row >= 0 && row < kFormationRows) {
                        cx = column;
                        cz = row;
                    }
                }
            }
            break;
        }
        picked->Release();
    }
    SetCursorCell(cx, cz);
}

void ClickCell(bool fPlace)
{
    EDITOR& l = E();
    if (!l.fOpen || !l.pSel || l.fLoadDialog)
        return;
    const LONG x = l.lSelX, z = l.lSelZ;
    LONG& cell = l.Puzzle.aFormation[z][x];
    if (cell != ckNone) {
        ReleaseCube(x, z);
        cell = ckNone;
        l.bModified = TRUE;
    }
    if (fPlace) {
        cell = l.lKind;
        BuildCube(x, z);
        l.bModified = TRUE;
    }
    PickAgain();
}

// ---- The menu's commands ----------------------------------------------------

void NewPuzzle()
{
    if (!E().fOpen || E().fLoadDialog)
        return;
    if (!AskToSave())
        return;
    LONG level, puzzle;
    NextFreePuzzle(&level, &puzzle);
    LoadIntoEditor(level, puzzle, nullptr);
}

void LoadPuzzleDialog()
{
    EDITOR& l = E();
    if (!l.fOpen || l.fLoadDialog)
        return;
    if (!AskToSave())
        return;
    if (EditorSeams().pfnRemoveMenu)
        EditorSeams().pfnRemoveMenu();
    RemoveCursor();
    ReleaseCubes();
    ReleaseFloor();
    LONG level = l.lLevel, puzzle = l.lPuzzle;
    if (ListPuzzle(level, puzzle + 1)) {
        ++puzzle;
    } else if (PuzzlesOf(level + 1) > 0) {
        ++level;
        puzzle = 1;
    }
    l.lLoadLevel = level;
    l.lLoadPuzzle = puzzle;
    l.fLoadDialog = TRUE;
    ShowLoadDialogView();
}

bool SavePuzzle()
{
    EDITOR& l = E();
    // A level file holding a puzzle with nothing to destroy cannot be read
    // again, and the game would not start: such a puzzle is not written.
    if (!HasDestructible(l.Puzzle)) {
        Message(idsEditorNoDestructible);
        return false;
    }
    // New places come right after the last level and after the level's last
    // puzzle: an empty level or a gap of empty puzzles would make the file
    // unreadable too.
    LEVELLIST& list = g.Levels;
    l.lLevel = std::clamp<LONG>(l.lLevel, 1, list.cLevels + 1);
    if (l.lLevel > list.cLevels) {
        if (!AppendZeroed(&list.pLevels, &list.cLevels)) {
            Message(idsEditorNotSaved);
            return false;
        }
        LEVEL& fresh = list.pLevels[list.cLevels - 1];
        fresh.lWidth = 6;
        fresh.lLength = 8;
    }
    LEVEL& level = list.pLevels[l.lLevel - 1];
    l.lPuzzle = std::clamp<LONG>(l.lPuzzle, 1, level.cPuzzles + 1);
    if (l.lPuzzle > level.cPuzzles && !AppendZeroed(&level.pPuzzles, &level.cPuzzles)) {
        // A level added for this puzzle goes again rather than stay empty.
        if (level.cPuzzles == 0)
            --list.cLevels;
        Message(idsEditorNotSaved);
        return false;
    }
    level.pPuzzles[l.lPuzzle - 1] = l.Puzzle;
    if (l.fOpen && g.lGameState == gsEditor) {
        EditorStatus(l.lLevel, l.lPuzzle);
        RefreshStatus();
    }
    if (!SaveLevelFile(list.fScrambled)) {
        Message(idsEditorNotSaved);
        return false;
    }
    Message(idsEditorSaved);
    l.bModified = FALSE;
    return true;
}

void EncryptionCommand() { Message(static_cast<LONG>(SaveLevelFileInOtherForm())); }

void TestPuzzle()
{
    EDITOR& l = E();
    if (!l.fOpen || l.fLoadDialog)
        return;
    // With nothing to destroy no roll would ever start and no win be
    // checked: play would stand still.
    if (!HasDestructible(l.Puzzle)) {
        Message(idsEditorNoDestructible);
        return;
    }
    const BOOL modified = l.bModified;
    l.bModified = FALSE;
    CloseEditor();
    l.bModified = modified;
    const PUZZLE tested = l.Puzzle;
    StartGame(&tested, l.lLevel, l.lPuzzle);
    // The camera jumps to where play would bring it.
    AimCameraForState(g.lGameState, g.Avatar.X, g.Avatar.Z);
    RENDER& r = g.Render;
    r.vecCameraSource = r.vecCameraSourceGoal;
    r.vecCameraTarget = r.vecCameraTargetGoal;
    if (r.pFrameCamera)
        PlaceCamera();
}

bool EditorMenuCommand(LONG command)
{
    switch (command) {
    case cmdEditorNew: NewPuzzle(); return true;
    case cmdEditorLoad: LoadPuzzleDialog(); return true;
    case cmdEditorSave: SavePuzzle(); return true;
    case cmdEditorEncryption: EncryptionCommand(); return true;
    case cmdEditorTest: TestPuzzle(); return true;
    case cmdEditorQuit: QuitEditor(); return true;
    case cmdEditorCheck: CheckPuzzle(); return true;
    default: return false;
    }
}

// ---- The load dialog --------------------------------------------------------

LONG LoadDialogLevels() { return std::min<LONG>(g.Levels.cLevels, kLoadButtons); }

LONG LoadDialogPuzzles() { return std::min<LONG>(PuzzlesOf(E().lLoadLevel), kLoadButtons); }

void LoadDialogChooseLevel(LONG lLevel)
{
    EDITOR& l = E();
    if (!l.fLoadDialog || lLevel < 1 || lLevel > LoadDialogLevels())
        return;
    l.lLoadLevel = lLevel;
    // The pressed puzzle stays pressed where the level has it.
    l.lLoadPuzzle = std::clamp<LONG>(l.lLoadPuzzle, 1, std::max<LONG>(1, LoadDialogPuzzles()));
    ShowLoadDialogView();
}

void LoadDialogChoosePuzzle(LONG lPuzzle)
{
    EDITOR& l = E();
    if (!l.fLoadDialog || lPuzzle < 1 || lPuzzle > LoadDialogPuzzles())
        return;
    l.lLoadPuzzle = lPuzzle;
    ShowLoadDialogView();
}

void LoadDialogLoad()
{
    EDITOR& l = E();
    if (!l.fLoadDialog)
        return;
    RemoveLoadDialogView();
    l.fLoadDialog = FALSE;
    ShowEditorMenu();
    LoadIntoEditor(l.lLoadLevel, l.lLoadPuzzle, nullptr);
}

void LoadDialogCancel()
{
    EDITOR& l = E();
    if (!l.fLoadDialog)
        return;
    RemoveLoadDialogView();
    l.fLoadDialog = FALSE;
    BuildFloor();
    BuildCubes();
    ShowEditorMenu();
    PickAgain();
}

// ---- Panel commands, keys, frames -------------------------------------------

bool EditorCommand(LONG id)
{
    if (!E().fOpen)
        return false;
    if (id >= ckGray && id <= ckBlue) {
        SelectCubeKind(id);
        return true;
    }
    auto value = [id](LONG fallback) {
        return EditorPanelOps().pfnGetValue ? EditorPanelOps().pfnGetValue(id) : fallback;
    };
    switch (id) {
    case idEditorSpeed: SetEditorSpeed(value(E().Puzzle.lSpeed)); return true;
    case idEditorMines: SetEditorMines(value(E().Puzzle.lMines)); return true;
    case idEditorNarrower: Resize(-1, 0); return true;
    case idEditorWider: Resize(1, 0); return true;
    case idEditorShorter: Resize(0, -1); return true;
    case idEditorLonger: Resize(0, 1); return true;
    case idLoadCancel: LoadDialogCancel(); return true;
    case idLoadPuzzle: LoadDialogLoad(); return true;
    default: break;
    }
    if (id >= idLoadLevelFirst && id < idLoadLevelFirst + kLoadButtons) {
        LoadDialogChooseLevel(id - idLoadLevelFirst + 1);
        return true;
    }
    if (id >= idLoadPuzzleFirst && id < idLoadPuzzleFirst + kLoadButtons) {
        LoadDialogChoosePuzzle(id - idLoadPuzzleFirst + 1);
        return true;
    }
    return false;
}

LRESULT EditorHook(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    EDITOR& l = E();
    if (!l.fOpen || g.lGameState != gsEditor || l.fControlsDisabled)
        return 0;
    // The panel's and the load dialog's controls take the mouse themselves;
    // no cell lies under them.
    if (msg >= WM_MOUSEMOVE && msg <= WM_RBUTTONDOWN) {
        const LONG x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        ANIMWINDOW* w = EditorSeams().pWindow;
        const bool inPanel = w && Inside(EditorPanelLayout(w->GetWidth(), w->GetHeight()).rcPanel, x, y);
        if (inPanel || l.fLoadDialog) {
            if (inPanel)
                RemoveCursor();
            return 0;
        }
    }
    switch (msg) {
    case WM_MOUSEMOVE: PickCell(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        PickCell(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ClickCell(msg == WM_LBUTTONDOWN);
        break;
    case WM_KEYUP: {
        LONG dx = 0, dz = 0;
        switch (static_cast<int>(wParam)) {
        case VK_LEFT: dx = -1; break;
        case VK_RIGHT: dx = 1; break;
        case VK_UP: dz = -1; break;
        case VK_DOWN: dz = 1; break;
        default: return 0;
        }
        if (GetKeyState(VK_SHIFT) < 0)
            Resize(dx, dz);
        else
            Shift(dx, dz);
        break;
    }
    case WM_COMMAND: EditorCommand(LOWORD(static_cast<std::uintptr_t>(wParam))); break;
    default: break;
    }
    return 0;
}

int EditorService(ANIMWINDOW*, int code, unsigned, long)
{
    EDITOR& l = E();
    if (!l.fOpen)
        return 1;
    if (code == svcawDrawFrame)
        StepPuzzleCheck();
    if (code == svcawVideoMode) {
        // The panel follows the new screen size; the dialog comes back over it.
        PanelDestroy();
        PanelCreate();
        if (l.fLoadDialog)
            ShowLoadDialogView();
        FitEditorCamera();
    } else if (code == svcawDrawFrame && g.lGameState == gsEditor) {
        // The view follows the field's size, the screen and the menu.
        FitEditorCamera();
    }
    return 1;
}

void EnableEditorControls(bool fEnable)
{
    E().fControlsDisabled = fEnable ? FALSE : TRUE;
    if (EditorPanelOps().pfnEnable)
        EditorPanelOps().pfnEnable(fEnable);
}
