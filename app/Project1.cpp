#include "Program.h"

// The program reads no command line and no environment: its data files are the
// ones in the working directory.
int main(int argc, char *argv[]) {
    return runProgram(argc, argv);
}
