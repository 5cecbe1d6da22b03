// Debug: a stream-like diagnostic output. Text written to the library's
// global `debug` with << appears in a tool window titled "debug++" over the
// right third of the desktop, made on the first text written. Numbers,
// pointers, rectangles and angles are formatted; the tag "[LastError]" writes
// the system's last error with its text, "[AnglesOn]" and "[AnglesOff]"
// switch doubles between plain numbers and angles (radians shown as degrees
// in [0, 360)). Once the user closes the window, output is dropped for the
// rest of the run.
#pragma once

#include "platform/base/types.h"

#include <set>

class Debug {
public:
    // The text the window keeps (bytes) and the limit of its characters.
    static constexpr unsigned cbText = 31644;
    static constexpr unsigned cchLimit = 29596;

    Debug();
    ~Debug();
    Debug(const Debug&) = delete;
    Debug& operator=(const Debug&) = delete;

    Debug& operator<<(const char* text);
    Debug& operator<<(const void* p);
    Debug& operator<<(char c);
    Debug& operator<<(unsigned char c);
    Debug& operator<<(short n);
    Debug& operator<<(unsigned short n);
    Debug& operator<<(int n);
    Debug& operator<<(unsigned n);
    Debug& operator<<(long n);
    Debug& operator<<(unsigned long n);
    Debug& operator<<(double d);
    Debug& operator<<(RECT rc);

    // The window (null before the first output and after it was closed) and
    // the text it shows.
    HWND GetWindow() const { return hwnd; }
    HWND GetTextView() const { return hwndEdit; }
    const char* GetText() const { return szText; }
    int fAnglesOn() const { return fAngles; }

    // The window procedure of "DebugClass".
    static LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Post(const char* text);
    void Append(const char* text);
    bool MakeWindow();

    int fWindowMade;
    HWND hwnd;
    HWND hwndEdit;
    char szText[cbText];
    int fAngles;
    // Copies posted to the window and not yet taken; freed with the object.
    std::set<char*> pending;
};

// The library's debug output.
extern Debug debug;

// Formats a double as the stream writes it (angles: radians in degrees,
// brought into [0, 360)) into out (at least 64 bytes); returns out.
const char* FormatDebugDouble(double d, bool angles, char* out);
