// The program's entry: no command line, no configuration; start-up and the event loop.
#include "app/startup.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return weighlet::runProgram();
}
