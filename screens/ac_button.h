// The button of the on-screen control toolkit: a push button, a radio mark
// or a check mark, drawn by the game over the scene. A click sends a command
// message to the button's command target; pressing and releasing send
// notifications to its notify target.
#pragma once

#include "screens/ac_control.h"

// Style bits.
enum : DWORD {
    bsPush = 0x0,      // look (bits 0 to 3): push button
    bsRadioMark = 0x1, //   radio mark
    bsCheckMark = 0x2, //   check mark
    bsLookMask = 0xF,
    bsRadio = 0x10,     // a click clears the other radio buttons of its group (bits 16 to 31)
    bsToggle = 0x20,    // a click flips checked
    bsHotTrack = 0x100, // face and frame only while hot
    bsCentred = 0x200,  // text centred across the whole button
};

// Notifications added to the identifier, sent to the notify target.
constexpr LONG kButtonPressed = 0x20000;
constexpr LONG kButtonReleased = 0x30000;

class AC_BUTTON : public AC_CONTROL {
public:
    AC_BUTTON(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth);
    ~AC_BUTTON() override;

    void SetCommandTarget(WNDPROC proc) { m_pfnCommandTarget = proc; }
    void SetNotifyTarget(WNDPROC proc) { m_pfnNotifyTarget = proc; }
    WNDPROC GetCommandTarget() const { return m_pfnCommandTarget; }
    DWORD GetStyle() const { return m_dwStyle; }
    void SetStyle(DWORD style);
    BOOL fSelected() const { return m_fSelected; }
    void SetSelected(BOOL f);
    BOOL fChecked() const { return m_fChecked; }
    void SetChecked(BOOL f);
    // With both set the button is drawn as these pictures only; a normal
    // picture alone is drawn before the text.
    void SetImages(GRAPHIC* normal, GRAPHIC* pressed);
    GRAPHIC* GetImage() override { return m_pgrNormal; }
    BOOL SetImage(GRAPHIC* image) override;
    // Drawn with its face: decided once per frame.
    BOOL fHot() const { return m_fHot; }

    // The radio or toggle behaviour of the style, then the command. The
    // command may destroy the button: nothing of it is used afterwards.
    void Click();

    void SizeToContent() override;
    void Draw(HDC hdc, const RECT& rc) override;
    void OnFocusLost() override;
    BOOL HitTest(POINT pt) override;
    void Step() override;

private:
    static LRESULT ButtonUpHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT ButtonDownHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Notify(LONG code);
    // The point (client coordinates) lies on the button and it answers its
    // hit test.
    BOOL fPointOn(POINT pt);
    void DrawPush(HDC hdc, const RECT& rc);
    void DrawMark(HDC hdc, const RECT& rc);
    // Whether the mouse cursor is over the button now.
    BOOL fMouseOver();

    WNDPROC m_pfnCommandTarget = nullptr;
    WNDPROC m_pfnNotifyTarget = nullptr;
    DWORD m_dwStyle = 0;
    BOOL m_fSelected = FALSE;
    BOOL m_fChecked = FALSE;
    GRAPHIC* m_pgrNormal = nullptr;
    GRAPHIC* m_pgrPressed = nullptr;
    BOOL m_fHot = FALSE;
};

AC_BUTTON* CreateButton(ANIMWINDOW* window, LONG id, DWORD style, unsigned short depth);
