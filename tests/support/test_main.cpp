// Test entry: a QApplication on the offscreen platform (unless a display
// was chosen), then GoogleTest.
#include <QApplication>
#include <cstdlib>
#include <string_view>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Without an X display the system tests skip; they still need an application.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || (std::string_view(platform) == "xcb" && !std::getenv("DISPLAY")))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
