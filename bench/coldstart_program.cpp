// The whole program, ending once its main window is painted.
#include "FirstPaint.h"
#include "Program.h"

int main(int argc, char *argv[]) {
    return runProgram(argc, argv, [](QWidget &window) { new FirstPaintReporter(window); });
}
