#pragma once

#include <memory>

class TForm1;
class TForm2;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;

// The program's eight windows, created once and kept until the program ends.
// The main window comes first, and its creation runs the start-up sequence
// before any other window exists; the others are created hidden.
//
// Program is the one place that knows every window. Once all exist, it connects
// what one window asks of another (the main window's signals to the slots of the
// others, and back), so that no window reaches another through a global and no
// library links the library of the main window.
class Program {
public:
    Program();
    ~Program();

    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm7> Form7;
    std::unique_ptr<TForm8> Form8;
    std::unique_ptr<TForm9> Form9;

private:
    void connectWindows();
};
