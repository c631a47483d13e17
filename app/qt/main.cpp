#include "app/qt/Program.h"

int main(int argc, char** argv) {
    return ovena::runProgram(argc, argv);
}
