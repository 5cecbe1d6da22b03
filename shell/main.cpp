// Program entry of Varno.
#include "levelfile/datafile.h"
#include "shell/version.h"
#include "support/sysmsgbox.h"
#include "support/textres.h"

#include <cstdio>

namespace {
// Level-file messages are shown from the string table in the player's
// language; the error number and the system's text for it fill the inserts.
int ShowFileMessageById(UINT uType, UINT idCaption, UINT idText, DWORD dwError)
{
    return MessageBoxIds(uType, idCaption, idText, "%lu%e", dwError, dwError);
}
}  // namespace

int main(int argc, char** argv)
{
    ChooseLanguage("Varno");
    SetFileMessageProc(ShowFileMessageById);

    // A conversion switch converts a level file, shows its message and ends
    // the program before anything else starts.
    const std::string commandLine = JoinCommandLine(argc, argv);
    if (HandleCommandLine(commandLine.c_str()))
        return 0;

    std::printf("%s %s\n", kVarnoName, kVarnoVersion);
    std::printf("The foundation is in place: the platform core, the library's diagnostics, math and colour,\n");
    std::printf("and the level file, which this program can convert between its plain and scrambled forms:\n");
    std::printf("  varno -e [FILE]   scramble FILE (the data folder's VARNO.LEV when none is named)\n");
    std::printf("  varno -d [FILE]   turn FILE back into plain text\n");
    std::printf("The game itself is not playable yet.\n");
    return 0;
}
