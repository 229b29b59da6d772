#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "config/config_fixture.h"
#include "editor/picker_views.h"
#include "profiles/per_app_views.h"
#include "support/widget_pictures.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

class PerAppWidgetTest : public ConfigFixture {
protected:
    void SetUp() override {
        view = std::make_unique<PerAppMenusEditorView>(
            live(), [](const std::string& id) -> std::optional<std::string> {
                if (id == "firefox") return "Firefox";
                return std::nullopt;
            });
        view->resize(640, 480);
        view->show();
    }
    void TearDown() override { view.reset(); }
    std::unique_ptr<PerAppMenusEditorView> view;
};

}  // namespace

TEST_F(PerAppWidgetTest, AddATemplateSetItsSizeAndRemoveIt) {
    EXPECT_TRUE(view->emptyState()->isVisible());
    savePictures(*view, "profiles", "apps-empty");

    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    ASSERT_TRUE(view->chooser());
    view->chooser()->setCategory(editor::AppCategory::templates);
    view->chooser()->choose(0);  // the first template
    QCoreApplication::processEvents();
    PerAppOverrideSheet* sheet = view->overrideSheet();
    ASSERT_TRUE(sheet);
    const std::string id = AppMenuPreset::all().front().bundleId;
    for (int i = 0; i < 3; ++i) sheet->sectionSwitch(i)->click();
    sheet->sizeSlider()->setValue(5);  // 2.5
    QCoreApplication::processEvents();
    savePictures(*sheet, "profiles", "override-sheet-all-on");
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->model().editingBundleId());
    const AppOverride& stored = live().config().appOverrides.at(id);
    EXPECT_EQ(stored.menuRadius, 150);
    EXPECT_TRUE(stored.appearance && stored.goBackKey && stored.closeMenuKey);
    EXPECT_EQ(stored.slots->size(), AppMenuPreset::all().front().build().slots.size());

    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(1).rootGroup.slots;
    c.appOverrides["com.Example"].menuRadius = 200;
    live().setConfig(c);
    ASSERT_TRUE(view->row("firefox"));
    EXPECT_FALSE(view->emptyState()->isVisible());
    QCoreApplication::processEvents();
    savePictures(*view, "profiles", "apps-three");

    view->row("firefox")->findChild<QPushButton*>("edit")->click();
    ASSERT_TRUE(view->overrideSheet());
    view->overrideSheet()->cancelButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(live().config().appOverrides.at("firefox"), c.appOverrides.at("firefox"));
    view->row("firefox")->findChild<QPushButton*>("remove")->click();
    EXPECT_FALSE(live().config().appOverrides.count("firefox"));
}
