#include "QtTestRun.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int RunQtTests(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("INBOX_KEEP_XDG"))
        setenv("XDG_CONFIG_HOME", "/tmp/inboxpruner-test-config", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
