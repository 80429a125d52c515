#include "Program.h"

// The program reads no environment, and of the command line only the launcher's
// report of a failure: its data files are the ones in the working directory.
int main(int argc, char *argv[]) {
    return runProgram(argc, argv);
}
