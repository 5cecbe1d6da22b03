#include "anim/lasterror.h"

#include "platform/base/syserror.h"
#include "platform/msgbox/msgbox.h"

#include <cstdio>

namespace {
int g_lastError = 0;
ZEPHANEASSERTPROC g_assertHook = nullptr;
void (*g_restoreVideo)() = nullptr;
}  // namespace

void ZephaneSetLastError(int code)
{
    g_lastError = code == -1 ? static_cast<int>(GetLastError()) : code;
}

int ZephaneGetLastError() { return g_lastError; }

int TRUE_SetLastError(int code)
{
    ZephaneSetLastError(code);
    return 1;
}

int FALSE_SetLastError(int code)
{
    ZephaneSetLastError(code);
    return 0;
}

long ZERO_SetLastError(int code)
{
    ZephaneSetLastError(code);
    return 0;
}

long MINUSONE_SetLastError(int code)
{
    ZephaneSetLastError(code);
    return -1;
}

long HINVALID_SetLastError(int code)
{
    ZephaneSetLastError(code);
    return -1;
}

unsigned long clrOPAQUE_SetLastError(int code)
{
    ZephaneSetLastError(code);
    return clrOPAQUE;
}

int ZephaneAssertFunction(int fOK, const char* expression, const char* file, unsigned long line)
{
    if (g_assertHook)
        return g_assertHook(fOK, expression, file, line);
    if (fOK)
        return fOK;
    // snprintf bounds the report to the buffer, cutting an overlong
    // expression or file name rather than writing past the end.
    char text[256];
    std::snprintf(text, sizeof text,
                  "A logical assertion in this application has failed. Please write down this error and contact "
                  "this application's vendor.\n\nExpression: %s\nLine %u of %s\n",
                  expression ? expression : "(null)", static_cast<unsigned>(line), file ? file : "(null)");
    if (g_restoreVideo)
        g_restoreVideo();
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, text, "Assertion Failed", MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    return 0;
}

void ZephaneSetAssertFunction(ZEPHANEASSERTPROC hook) { g_assertHook = hook; }

int AssertFn(int fOK, const char* expression, int line, const char* module)
{
    if (fOK)
        return 1;
    char text[256];
    char caption[256];
    std::snprintf(text, sizeof text, "Assertion failed: \"%s\"", expression ? expression : "(null)");
    std::snprintf(caption, sizeof caption, "Line %u of module %s.", static_cast<unsigned>(line),
                  module ? module : "(null)");
    MessageBoxA(nullptr, text, caption, MB_ICONEXCLAMATION);
    return 0;
}

void ZephaneSetAssertVideoRestore(void (*restore)()) { g_restoreVideo = restore; }
