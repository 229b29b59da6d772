// Test entry: a QApplication on the offscreen platform (unless a display
// was chosen), then GoogleTest. Each test starts from the application as
// the program's start left it, whichever test ran before it.
#include <QApplication>
#include <QFont>
#include <QPalette>
#include <cstdlib>
#include <string_view>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/controls.h"

namespace {

// Puts back what a test may leave changed for the whole application: how
// the last input came (which decides whether a focus shows), the palette
// and the font.
class FreshApplication : public ::testing::EmptyTestEventListener {
public:
    FreshApplication() : palette_(QApplication::palette()), font_(QApplication::font()) {}

    void OnTestEnd(const ::testing::TestInfo&) override {
        orbel::ui::forgetFocusOrigin();
        if (QApplication::palette() != palette_) QApplication::setPalette(palette_);
        if (QApplication::font() != font_) QApplication::setFont(font_);
    }

private:
    const QPalette palette_;
    const QFont font_;
};

}  // namespace

int main(int argc, char** argv) {
    // System tests ask for xcb; without an X display they start offscreen and skip.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    if (!platform || (std::string_view(platform) == "xcb" && (!display || !*display)))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshApplication);
    return RUN_ALL_TESTS();
}
