#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "config/config_fixture.h"
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

void clickButton(QMessageBox* box, const QString& text) {
    for (auto* button : box->buttons())
        if (button->text() == text) return button->click();
    ADD_FAILURE() << "no button " << text.toStdString();
}

}  // namespace

TEST_F(PerAppWidgetTest, AddATemplateSetItsSizeAndRemoveIt) {
    EXPECT_TRUE(view->emptyState()->isVisible());
    savePictures(*view, "profiles", "apps-empty");

    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    ASSERT_TRUE(view->chooser());
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
    ASSERT_TRUE(view->removeConfirmation());  // it holds a slot: asked first
    clickButton(view->removeConfirmation(), "Remove \"Firefox\"");
    EXPECT_FALSE(live().config().appOverrides.count("firefox"));
}

TEST_F(PerAppWidgetTest, RemovingADialWithSlotsAsksAndReturnCancels) {
    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(2).rootGroup.slots;
    c.appOverrides["com.Example"].menuRadius = 200;  // no slots of its own
    live().setConfig(c);
    view->row("firefox")->findChild<QPushButton*>("remove")->click();
    QMessageBox* box = view->removeConfirmation();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->informativeText(),
              "The dial for \"Firefox\" and its 2 slots will be permanently removed. This can't be undone.");
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
    savePictures(*box, "profiles", "apps-remove-confirmation");
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->removeConfirmation());
    EXPECT_EQ(live().config().appOverrides.at("firefox"), c.appOverrides.at("firefox"));
    // A dial without slots goes at once.
    view->row("com.Example")->findChild<QPushButton*>("remove")->click();
    EXPECT_FALSE(view->removeConfirmation());
    EXPECT_FALSE(live().config().appOverrides.count("com.Example"));
}

TEST_F(PerAppWidgetTest, AReplacedConfigurationClosesTheSheetUnsavedWithANotice) {
    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(2).rootGroup.slots;
    live().setConfig(c);
    view->row("firefox")->findChild<QPushButton*>("edit")->click();
    QPointer<PerAppOverrideSheet> sheet = view->overrideSheet();
    ASSERT_TRUE(sheet);
    sheet->sectionSwitch(0)->click();
    sheet->sizeSlider()->setValue(20);
    live().flushSaves();
    writeFile(configPath(), R"({"version":1,"appOverrides":{"firefox":{"menuRadius":120}}})");
    live().load();  // Reload (or a profile switch) while the sheet is open
    QCoreApplication::processEvents();
    EXPECT_FALSE(sheet);
    EXPECT_FALSE(view->model().editingBundleId());
    EXPECT_EQ(live().config().appOverrides.at("firefox").menuRadius, 120);
    EXPECT_FALSE(live().config().appOverrides.at("firefox").slots);
    EXPECT_TRUE(view->notice()->isVisible());
    EXPECT_EQ(view->notice()->text(), QString::fromStdString(PerAppMenusModel::replacedNotice("Firefox")));
    savePictures(*view, "profiles", "apps-replaced-notice");
}
