// Test entry: a QApplication on the offscreen platform (unless a display
// was chosen), then GoogleTest.
#include <QApplication>
#include <cstdlib>
#include <string_view>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // System tests ask for xcb; without an X display they start offscreen and skip.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    if (!platform || (std::string_view(platform) == "xcb" && (!display || !*display)))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
