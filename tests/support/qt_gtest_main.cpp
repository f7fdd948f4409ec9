// main() for GUI test programs.
#include "QtTestRun.h"

int main(int argc, char** argv) {
    return RunQtTests(argc, argv);
}
