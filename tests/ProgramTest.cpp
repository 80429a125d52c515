#include "ProgramTest.h"

#include "Unit1.h"

TForm1 &ProgramTest::start() {
    program = std::make_unique<Program>();
    return *program->Form1;
}

const QObject *ProgramTest::mainWindow() const {
    return program->Form1.get();
}
