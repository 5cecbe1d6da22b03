#include "support/sysmsgbox.h"

#include "platform/msgbox/msgbox.h"
#include "support/format.h"

#include <cstdarg>
#include <system_error>
#include <thread>

UINT MessageBoxStyle(UINT uFlags)
{
    uFlags &= ~MB_SUPPORT_ASYNC;
    if ((uFlags & MB_ICONMASK) == 0)
        uFlags |= (uFlags & MB_TYPEMASK) != 0 ? MB_ICONQUESTION : MB_ICONINFORMATION;
    return uFlags;
}

int MessageBoxIds(UINT uFlags, UINT idCaption, UINT idText, const char* pszDescriptor, ...)
{
    va_list args;
    va_start(args, pszDescriptor);
    char* pszCaption = FormatTextV(TextId(idCaption), pszDescriptor, args);
    va_end(args);
    va_start(args, pszDescriptor);
    char* pszText = FormatTextV(TextId(idText), pszDescriptor, args);
    va_end(args);
    if (!pszCaption || !pszText) {
        ReleaseText(pszCaption);
        ReleaseText(pszText);
        return IDCANCEL;
    }

    const UINT uStyle = MessageBoxStyle(uFlags);
    if (uFlags & MB_SUPPORT_ASYNC) {
        try {
            std::thread([pszCaption, pszText, uStyle] {
                MessageBoxA(nullptr, pszText, pszCaption, uStyle);
                ReleaseText(pszCaption);
                ReleaseText(pszText);
            }).detach();
        } catch (const std::system_error&) {
            // No thread for the box: nothing is shown, as when the texts fail.
            ReleaseText(pszCaption);
            ReleaseText(pszText);
            return IDCANCEL;
        }
        return -1;
    }
    const int answer = MessageBoxA(nullptr, pszText, pszCaption, uStyle);
    ReleaseText(pszCaption);
    ReleaseText(pszText);
    return answer;
}
