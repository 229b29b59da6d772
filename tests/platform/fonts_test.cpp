// Registering fonts for this process and finding them by PostScript name.

#include <QFontDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/bundle.h"
#include "platform/fonts.h"
#include "support/test_files.h"

namespace orbel::platform {
namespace {

TEST(Fonts, ARegisteredFontIsFoundByItsPostScriptNameOnly) {
    auto& fonts = Fonts::shared();
    QTemporaryDir dir;
    orbel::testing::writeFile(dir.filePath("not-a-font.ttf"), "plain text");
    EXPECT_FALSE(fonts.registerFontFile(dir.filePath("not-a-font.ttf").toStdString()));
    EXPECT_FALSE(fonts.registerFontFile(dir.filePath("missing.ttf").toStdString()));

    const auto path = Bundle::shared().resourcePath("Phosphor-Regular", "ttf", "IconPacks/phosphor");
    ASSERT_TRUE(path) << "the shipped glyph font";
    ASSERT_TRUE(fonts.registerFontFile(*path));
    const auto font = fonts.font("Phosphor-Regular", 18);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->family(), "Phosphor");
    EXPECT_DOUBLE_EQ(font->pointSizeF(), 18);
    EXPECT_FALSE(fonts.font("Phosphor", 18)) << "a family name is no PostScript name";
    EXPECT_FALSE(fonts.font("Missing-Regular", 18));
}

}  // namespace
}  // namespace orbel::platform
