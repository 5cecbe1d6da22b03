// The on-screen control toolkit: controls drawn by the game itself as
// animation objects inside the animation window, so that they sit over the
// 3D scene, change colour every frame and slide about.
//
// AC_CONTROL is the base of every control: it owns one ANIMOBJECT whose
// service callback sizes the control to its content, draws it and answers
// hit tests. Mouse input reaches the controls through message hooks on the
// animation window, shared by all controls. One control at a time has the
// keyboard focus (it is also the one drawn with the focus frame) and one at
// a time may hold the mouse capture.
//
// This file holds the base control, the value control (a slider) and the
// text label; the button is in ac_button.h.
#pragma once

#include "anim/animobj.h"
#include "platform/base/types.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

class ANIMWINDOW;
class GRAPHIC;

// Kinds of control.
enum : LONG {
    ackButton = 1,
    ackValue = 2,
    ackLabel = 3,
};

// Colour slots.
enum : int {
    acFace = 0,      // face; the background of labels
    acHighlight = 1, // highlight edge
    acShadow = 2,    // shadow edge
    acHot = 3,       // hot background and inner edge
    acWindow = 4,    // window (check marks, a dragged thumb)
    acText = 5,      // text
};
// A slot holding this selects the slot's default colour.
constexpr COLORREF kclrDefault = 0xFFFFFFFF;
// A slot holding this draws nothing in that colour.
constexpr COLORREF kclrNone = 0xFFFFFFFE;

// The toolkit's own object services, sent by the controls to their objects.
constexpr svcAnimObject svcaoHitTest = static_cast<svcAnimObject>(256); // lParam: POINT* from the top-left
constexpr svcAnimObject svcaoMayFocus = static_cast<svcAnimObject>(257);

// Hook priorities on the animation window (high word of the hook mask).
constexpr unsigned long kButtonUpHook = 0x63FFFF;
constexpr unsigned long kBaseMouseHook = 0x64FFFF;
constexpr unsigned long kButtonDownHook = 0x65FFFF;

class AC_CONTROL {
public:
    // Destroy: gives back the mouse and the focus, removes the hooks,
    // destroys the object (rendering a frame at once with redraw now) and
    // frees the text.
    virtual ~AC_CONTROL();
    AC_CONTROL(const AC_CONTROL&) = delete;
    AC_CONTROL& operator=(const AC_CONTROL&) = delete;

    // ---- the operations every control has ----
    virtual void DrawFocusFrame(HDC hdc, const RECT& rc);
    // Two one-pixel rings: raised or sunken. A slot of -1 or -2 leaves its
    // lines out.
    virtual void DrawEdge(HDC hdc, const RECT& rc, BOOL fRaised);
    virtual BOOL GetRect(RECT* prc);
    virtual BOOL SetRect(const RECT* prc);
    virtual BOOL GetSize(LONG* pw, LONG* ph);
    virtual BOOL SetSize(LONG w, LONG h);
    // Sizes the control to its content at the next frame.
    virtual void RequestResize();
    virtual BOOL GetPosition(LONG* px, LONG* py);
    virtual BOOL SetPosition(LONG x, LONG y);
    virtual int GetTextLength();
    // Copies the text (at most cch - 1 bytes); returns its length.
    virtual int GetText(char* psz, int cch);
    virtual BOOL SetText(const char* psz);
    virtual GRAPHIC* GetImage() { return nullptr; }
    virtual BOOL SetImage(GRAPHIC*) { return FALSE; }
    virtual LONG GetId() { return m_lId; }
    virtual void SetId(LONG id) { m_lId = id; }
    virtual BOOL fIsEnabled() { return m_fEnabled; }
    virtual void Enable(BOOL fEnable);
    // Marks the control's area for drawing at the next frame.
    virtual void Redraw();
    // The slot's stored value: -1 when unset.
    virtual COLORREF GetColor(int slot);
    virtual BOOL SetColor(int slot, COLORREF colour);
    virtual void TakeFocus();
    virtual BOOL fHasCapture();
    virtual void CaptureMouse();
    virtual void ReleaseMouse();
    virtual void SizeToContent() = 0;
    virtual void Draw(HDC hdc, const RECT& rc) = 0;
    virtual void OnFocus() {}
    virtual void OnFocusLost() {}

    // Answers the hit-test service: pt is relative to the object's top-left.
    virtual BOOL HitTest(POINT pt);
    // Once per frame, from the object's move service.
    virtual void Step();

    // ---- plain accessors ----
    // The colour a slot draws in: its default for -1; -2 stays -2.
    COLORREF ColorOf(int slot);
    HFONT GetFont() const { return m_hFont; }
    void SetFont(HFONT hFont);
    void SetRedrawNow(BOOL f) { m_fRedrawNow = f; }
    ANIMOBJECT* Object() const { return m_pObject; }
    ANIMWINDOW* Window() const;
    LONG Kind() const { return m_lKind; }
    BOOL fShown() const { return m_fShown; }
    BOOL fSizePending() const { return m_fSizePending; }
    const char* Text() const { return m_pszText ? m_pszText : ""; }
    BOOL fFocused() const;

    // The control an object belongs to; null for objects of others.
    static AC_CONTROL* FromObject(ANIMOBJECT* object);

protected:
    AC_CONTROL(ANIMWINDOW* window, LONG id, LONG kind, unsigned short depth);
    // Installs a hook on the control's window, counted for removal.
    BOOL AddHook(WNDPROC proc, unsigned long mask);
    // The rectangle of the object in client coordinates (empty without one).
    RECT Rect();

    ANIMOBJECT* m_pObject = nullptr;
    BOOL m_fShown = TRUE;
    BOOL m_fSizePending = TRUE;
    char* m_pszText = nullptr;
    LONG m_lId = -1;
    ANIMOBJECTCALLBACK m_pfnObjectCallback = nullptr;
    LONG m_lKind = 0;
    // Per-control colours: capacity first, as the growth function wants it.
    struct COLORTABLE {
        unsigned nCapacity;
        COLORREF* aColors;
    } m_Colors{0, nullptr};
    BOOL m_fRedrawNow = FALSE;
    BOOL m_fEnabled = TRUE;
    HFONT m_hFont = nullptr;

private:
    static int ObjectService(ANIMOBJECT* object, svcAnimObject code, long lParam);
    static LRESULT BaseMouseHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Hooks installed by this control, removed by the destructor.
    WNDPROC m_apfnHooks[3] = {};
};

// ---- focus and capture -------------------------------------------------------

// The control with the keyboard focus, or null.
AC_CONTROL* GetFocusControl();
// Moves the focus (null clears it): the previous holder is told and both are
// redrawn.
void SetFocusControl(AC_CONTROL* control);
// The control holding the mouse capture, or null.
AC_CONTROL* GetCaptureControl();
// The front-most control of the window under a client point that may take
// the focus and answers its hit test; null when none.
AC_CONTROL* ControlAtPoint(ANIMWINDOW* window, POINT pt);

void DestroyControl(AC_CONTROL* control);

// ---- the value control ---------------------------------------------------------

enum : DWORD {
    vsVertical = 0x1, // else horizontal
    vsTicks = 0x2,    // ticks drawn, the whole track clickable
};

class AC_VALUE : public AC_CONTROL {
public:
    AC_VALUE(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth);
    ~AC_VALUE() override;

    void SetCommandTarget(WNDPROC proc) { m_pfnCommandTarget = proc; }
    DWORD GetStyle() const { return m_dwStyle; }
    LONG GetValue() const { return m_lValue; }
    LONG GetMinimum() const { return m_lMinimum; }
    LONG GetMaximum() const { return m_lMaximum; }
    LONG GetTicks() const { return m_lTicks; }
    BOOL fDragging() const { return m_fDragging; }
    // Clamped into the range (in either order of its ends), then redrawn.
    void SetValue(LONG value);
    // Also sets the tick count: the number of values in the range, at most 10.
    void SetRange(LONG minimum, LONG maximum);
    void SetTicks(LONG ticks);

    // Geometry, in client coordinates along the axis: the track (start and
    // length), the thumb's start and the position of tick i.
    LONG TrackStart();
    LONG TrackLength();
    LONG ThumbStart();
    LONG TickPosition(LONG i);
    // The value at a point along the axis for a drag with a grab offset.
    LONG ValueAt(LONG pos, LONG grab);

    // Mouse handling (client coordinates).
    void MouseDown(POINT pt);
    void MouseMove(POINT pt);
    void MouseUp();

    void SizeToContent() override;
    void Draw(HDC hdc, const RECT& rc) override;
    BOOL HitTest(POINT pt) override;

private:
    static LRESULT ValueMouseHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void SendCommand();
    LONG Along(POINT pt) const { return (m_dwStyle & vsVertical) ? pt.y : pt.x; }
    // The groove across the axis: its first pixel.
    LONG GrooveStart();
    // The thumb's and the track's rectangles.
    RECT ThumbRect();
    RECT TrackRect();

    WNDPROC m_pfnCommandTarget = nullptr;
    BOOL m_fDragging = FALSE;
    LONG m_lGrab = 0;
    LONG m_lMinimum = 0;
    LONG m_lValue = 50;
    LONG m_lMaximum = 100;
    LONG m_lTicks = 5;
    DWORD m_dwStyle = 0;
};

AC_VALUE* CreateValueControl(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth);

// ---- the text label -------------------------------------------------------------

enum : DWORD {
    lsRight = 0x2,  // text aligned right
    lsCentre = 0x4, // text centred
    lsWrap = 0x8,   // word-wrapped (the owner sets the rectangle)
};

class AC_LABEL : public AC_CONTROL {
public:
    AC_LABEL(ANIMWINDOW* window, unsigned short depth);
    DWORD GetStyle() const { return m_dwStyle; }
    void SetStyle(DWORD style);
    void SizeToContent() override;
    void Draw(HDC hdc, const RECT& rc) override;
    BOOL HitTest(POINT) override { return FALSE; }

private:
    DWORD m_dwStyle = 0;
};

AC_LABEL* CreateLabel(ANIMWINDOW* window, unsigned short depth);
