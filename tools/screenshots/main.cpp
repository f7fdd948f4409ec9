// inbox_screenshots FOLDER [--gtest_filter=...]: writes pictures of the windows, in both
// languages, as PNG files into FOLDER. QT_SCALE_FACTOR=2 (or 1.5) makes those of such a screen,
// named "name@2x.png". Exits non-zero when a picture could not be made.
#include "QtTestRun.h"
#include "Screenshot.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: inbox_screenshots FOLDER [--gtest_filter=PATTERN]\n");
        return 64;
    }
    ScreenshotFolder() = QString::fromLocal8Bit(argv[1]);
    argv[1] = argv[0];
    return RunQtTests(argc - 1, argv + 1);
}
