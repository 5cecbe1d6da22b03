// The texts of the system's error codes, in English.
#include "platform/base/syserror.h"

#include <cstring>

namespace {
constexpr DWORD kMessageNotFound = 317;

const char* TextOf(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: return "No error.";
    case ERROR_FILE_NOT_FOUND: return "The file was not found.";
    case ERROR_PATH_NOT_FOUND: return "The path was not found.";
    case ERROR_ACCESS_DENIED: return "Access was denied.";
    case ERROR_INVALID_HANDLE: return "The handle is not valid.";
    case ERROR_NOT_ENOUGH_MEMORY: return "There is not enough memory for this operation.";
    case ERROR_BAD_FORMAT: return "The data is not in the format expected.";
    case ERROR_INVALID_DATA: return "The data is not valid.";
    case ERROR_WRITE_FAULT: return "The device could not be written to.";
    case ERROR_READ_FAULT: return "The device could not be read from.";
    case ERROR_GEN_FAILURE: return "A device attached to the system is not working.";
    case ERROR_INVALID_PARAMETER: return "A parameter is not valid.";
    case ERROR_DISK_FULL: return "The disk is full.";
    case ERROR_INSUFFICIENT_BUFFER: return "The buffer is too small for the data.";
    case ERROR_MORE_DATA: return "More data is available.";
    case ERROR_NO_MORE_ITEMS: return "There are no more items.";
    case kMessageNotFound: return "There is no text for this message number.";
    case 1400: return "The window handle is not valid.";
    case ERROR_RESOURCE_DATA_NOT_FOUND: return "The resource's data was not found.";
    case ERROR_RESOURCE_TYPE_NOT_FOUND: return "The resource type was not found.";
    case ERROR_RESOURCE_NAME_NOT_FOUND: return "The resource name was not found.";
    case ERROR_RESOURCE_LANG_NOT_FOUND: return "The resource language was not found.";
    default: return nullptr;
    }
}
}  // namespace

DWORD FormatMessageA(DWORD flags, const void*, DWORD messageId, DWORD languageId, char* buffer, DWORD size, void*)
{
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The texts exist in English (and for the neutral language).
    if (languageId != 0 && (languageId & 0x3FF) != 0x09) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    const char* text = TextOf(messageId);
    if (!text) {
        SetLastError(kMessageNotFound);
        return 0;
    }
    const std::size_t n = std::strlen(text);
    if (n + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text, n + 1);
    return static_cast<DWORD>(n);
}
