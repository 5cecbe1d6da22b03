// Program entry of Varno.
#include "shell/mainwin.h"

int main(int argc, char** argv)
{
    return RunVarno(argc, argv);
}
