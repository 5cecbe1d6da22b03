// The system's messages for the error codes that the game's services report,
// in the game's two languages.
#include "support/format.h"

#include "platform/base/syserror.h"

namespace {

struct ERRORTEXT {
    DWORD dwCode;
    const char* pszEnglish;
    const char* pszEsperanto;
};

constexpr ERRORTEXT kaErrorTexts[] = {
    {ERROR_SUCCESS, "No error.", "Neniu eraro."},
    {ERROR_FILE_NOT_FOUND, "The file was not found.", "La dosiero ne troviĝis."},
    {ERROR_PATH_NOT_FOUND, "The folder was not found.", "La dosierujo ne troviĝis."},
    {ERROR_ACCESS_DENIED, "Access was refused.", "Aliro estis rifuzita."},
    {ERROR_NOT_ENOUGH_MEMORY, "There is not enough memory for this operation.",
     "Ne sufiĉas memoro por ĉi tiu operacio."},
    {ERROR_BAD_FORMAT, "The file is not in a format that can be used.", "La dosiero ne estas en uzebla formato."},
    {ERROR_INVALID_DATA, "The data is not valid.", "La datumoj ne validas."},
    {ERROR_WRITE_FAULT, "Writing to the device failed.", "Skribado al la aparato malsukcesis."},
    {ERROR_READ_FAULT, "Reading from the device failed.", "Legado de la aparato malsukcesis."},
    {ERROR_INVALID_PARAMETER, "A parameter is not valid.", "Parametro ne validas."},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer is too small for the data.",
     "La bufro estas tro malgranda por la datumoj."},
    {ERROR_MORE_DATA, "There is more data than was asked for.", "Estas pli da datumoj ol petite."},
    {ERROR_NO_MORE_ITEMS, "There are no more items.", "Ne plu estas eroj."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The program holds no resource data.", "La programo enhavas neniujn rimedojn."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "No resource of that type exists.", "Neniu rimedo de tiu tipo ekzistas."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "No resource of that name exists.", "Neniu rimedo kun tiu nomo ekzistas."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "No resource in that language exists.", "Neniu rimedo en tiu lingvo ekzistas."},
};

constexpr ERRORTEXT kUnknown = {0, "Unknown system error.", "Nekonata sistemeraro."};

} // namespace

const char* SystemErrorText(DWORD dwCode, WORD wLang)
{
    const ERRORTEXT* p = &kUnknown;
    for (const ERRORTEXT& t : kaErrorTexts)
        if (t.dwCode == dwCode)
            p = &t;
    return (wLang & 0x3FF) == 0 ? p->pszEsperanto : p->pszEnglish;
}
