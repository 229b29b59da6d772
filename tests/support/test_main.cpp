// Test entry: a QApplication on the offscreen platform (unless a display
// was chosen), then GoogleTest.
#include <QApplication>
#include <cstdlib>
#include <string_view>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // System tests ask for xcb; without a display they start offscreen and skip.
    const char* display = std::getenv("DISPLAY");
    if (std::string_view(std::getenv("QT_QPA_PLATFORM")) == "xcb" && (!display || !*display))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
