// A 128-bit interface or device identifier in its published layout.
#pragma once

#include "platform/base/types.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using LPCGUID = const GUID*;
