// main() for GUI test programs: real widgets on Qt's offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Tests must never read or write the user's own settings.
    if (!std::getenv("INBOX_KEEP_XDG"))
        setenv("XDG_CONFIG_HOME", "/tmp/inboxpruner-test-config", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
