// The dial's list of profiles with the real orbel: each wedge shows its own
// profile's icon, and a long profile name is cut to the dial's width.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <cmath>
#include <numbers>

#include "model/app_config.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::spinUntil;
using systemtest::xdotool;

constexpr const char* kLongName = "A profile for the quarterly planning meetings with the whole extended team";

QByteArray profileWith(const std::vector<SlotConfig>& slots, std::optional<SlotIcon> icon) {
    AppConfig c = AppConfig::defaultConfig();
    c.activation = ActivationMode::tap(
        HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
    c.rootGroup.slots = slots;
    c.profileIcon = std::move(icon);
    return QByteArray::fromStdString(c.encodeDocument());
}

// Pixels of the box of side 30 around `at` whose one channel stands out.
int tinted(const QImage& shot, QPointF at, int channel) {
    int count = 0;
    for (int y = int(at.y()) - 15; y < int(at.y()) + 15; ++y)
        for (int x = int(at.x()) - 15; x < int(at.x()) + 15; ++x) {
            const QColor c = shot.pixelColor(x, y);
            const int v[] = {c.red(), c.green(), c.blue()};
            if (v[channel] > 140 && v[(channel + 1) % 3] < 110 && v[(channel + 2) % 3] < 110) ++count;
        }
    return count;
}

TEST(ProfileListDial, EachWedgeShowsItsProfilesIconAndALongNameIsCut) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::Orbel orbel(systemtest::Orbel::Deferred{});
    const std::vector<SlotConfig> root{SlotConfig::make(SlotType::profileSwitch(), "Profiles")};
    orbel.write("config.json", profileWith(root, std::nullopt));
    // Listed by name: the long one first (at the top), then Home, then Work.
    orbel.write(QStringLiteral("profiles/%1.json").arg(kLongName), profileWith(root, SlotIcon::monogram("L", "#FF2020")));
    orbel.write("profiles/Home.json", profileWith(root, SlotIcon::monogram("H", "#20D020")));
    orbel.write("profiles/Work.json", profileWith(root, SlotIcon::monogram("W", "#2020FF")));
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();

    xdotool({"mousemove", "960", "540"});
    xdotool({"key", "ctrl+alt+o"});
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    // The one root wedge, then the list's top wedge (the long name), lit.
    int from = int(orbel.log().size());
    for (int i = 0; i < 40 && orbel.log().indexOf("HoverUpdated slot=0", from) < 0; ++i) {
        xdotool({"mousemove", "960", QString::number(410 + i % 2 * 5)});
        spinUntil([&] { return orbel.log().indexOf("HoverUpdated slot=0", from) >= 0; }, 250);
    }
    xdotool({"click", "1"});
    from = int(orbel.log().size());
    for (int i = 0; i < 40 && orbel.log().indexOf("HoverUpdated slot=0", from) < 0; ++i) {
        xdotool({"mousemove", "960", QString::number(415 - i % 2 * 5)});
        spinUntil([&] { return orbel.log().indexOf("HoverUpdated slot=0", from) >= 0; }, 250);
    }
    ASSERT_GE(orbel.log().indexOf("HoverUpdated slot=0", from), 0) << orbel.log().toStdString();
    systemtest::spin(500);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
    EXPECT_TRUE(shot.save(ORBEL_BINARY_DIR "/test-artifacts/system/profile-list-dial.png"));
    xdotool({"key", "Escape"});

    // Each wedge's icon in its own colour (the dial is 200 wide at this
    // screen, its icons half way between the hub and the rim).
    const double iconRadius = (0.32 * 200 + 200) / 2;
    for (int w = 0; w < 3; ++w) {
        const double a = w * 2 * std::numbers::pi / 3;
        const QPointF icon(960 + iconRadius * std::sin(a), 540 - iconRadius * std::cos(a));
        EXPECT_GT(tinted(shot, icon, w), 10) << "wedge " << w;
        EXPECT_EQ(tinted(shot, icon, (w + 1) % 3), 0) << "wedge " << w;
    }
    // The long name's pill above the top wedge ends within the dial's width
    // (the backdrop, 2 x (200 + 12)): beyond it the row is the screen's.
    const int pillY = 540 - 218;
    for (int x : {960 - 232, 960 + 232}) EXPECT_EQ(shot.pixel(x, pillY), shot.pixel(x, 40)) << x;
    bool pillDrawn = false;
    for (int x = 900; x < 1020; ++x) pillDrawn = pillDrawn || shot.pixel(x, pillY) != shot.pixel(x, 40);
    EXPECT_TRUE(pillDrawn) << "no label over the lit wedge";
}

}  // namespace
}  // namespace orbel
