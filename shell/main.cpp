// Program entry of Varno.
#include "shell/version.h"

#include <cstdio>

int main(int, char**)
{
    std::printf("%s %s\n", kVarnoName, kVarnoVersion);
    std::printf("The foundation is in place: the platform core, the library's diagnostics, math and colour.\n");
    std::printf("The game itself is not playable yet.\n");
    return 0;
}
