// The dial editor with a real pointer on a real X server: xdotool presses a
// library row, drags it across the ring and lets go over a gap; then drags a
// wedge onto the trash. The drags are Qt's own (XDND to our window).
#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QImage>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cmath>
#include <numbers>

#include "editor/dial_editor_view.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "slots/system_app_provider.h"
#include "system_helpers.h"

using namespace orbel;
using namespace orbel::editor;
using orbel::systemtest::spin;
using orbel::systemtest::spinUntil;
using orbel::systemtest::xdotool;

namespace {

using systemtest::num;
using systemtest::pointerDrag;

// A file manager's file: a pressed and moved pointer drags its URL, as a
// URI list and as text, the way file managers offer a file.
class FileIcon : public QWidget {
public:
    explicit FileIcon(QString path) : path_(std::move(path)) {
        setWindowTitle("file manager");
        setFixedSize(120, 120);
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) || dragging_) return;
        dragging_ = true;
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(path_)});
        mime->setText(QUrl::fromLocalFile(path_).toString());
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        dragging_ = false;
    }

private:
    QString path_;
    bool dragging_ = false;
};

class DialEditorOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        directory.apps = {{"org.gnome.Calculator", "Calculator", "", "/usr/share/applications/org.gnome.Calculator.desktop"}};
        DialEditorCallbacks cb;
        cb.onInsert = [this](const SlotConfig& s, int i) {
            calls.push_back("insert " + s.title + " " + std::to_string(i));
            slots.insert(slots.begin() + i, s);
            editor->setSlots(slots);
        };
        cb.onRemove = [this](int i) {
            calls.push_back("remove " + std::to_string(i));
            slots.erase(slots.begin() + i);
            editor->setSlots(slots);
        };
        for (const char* t : {"A", "B", "C"}) slots.push_back(SlotConfig::make(SlotType::app(t), t));
        auto* layout = new QHBoxLayout(&window);
        column = new SlotLibraryColumn({LibrarySegment::apps}, {}, {}, &window);
        column->setFixedWidth(260);
        editor = new RadialDialEditor(slots, 6, cb, &window);
        layout->addWidget(column);
        layout->addWidget(editor);
        window.setWindowTitle("dial editor test");
        window.show();
        ASSERT_TRUE(spinUntil([&] { return window.isVisible() && !column->model().isLoadingApps; }, 10000));
        window.activateWindow();
        spin(400);
    }

    QPoint ringPoint(double f) const {
        const double a = 2 * std::numbers::pi * f, r = 114.375;
        const QPointF c = editor->ring()->centre();
        return editor->ring()->mapToGlobal(QPointF(c.x() + r * std::sin(a), c.y() - r * std::cos(a)).toPoint());
    }

    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    std::vector<SlotConfig> slots;
    std::vector<std::string> calls;
    QWidget window;
    SlotLibraryColumn* column = nullptr;
    RadialDialEditor* editor = nullptr;
};

}  // namespace

TEST_F(DialEditorOnScreen, PointerDragsALibraryRowIntoAGapAndAWedgeOntoTheTrash) {
    const QRect row = column->rowRect(column->rowOf("Calculator"));
    const QPoint start = column->list()->viewport()->mapToGlobal(row.center());
    // The row as it looks without the pointer on it.
    const QPoint away = ringPoint(0.5);
    xdotool({"mousemove", num(away.x()), num(away.y())});
    spin(300);
    const QImage unhovered = column->list()->viewport()->grab(row).toImage();
    // Across the ring's top, then down to f = 0.375: gap 1 of four.
    pointerDrag(start, {ringPoint(0.9), ringPoint(0.1)}, ringPoint(0.375));
    ASSERT_TRUE(spinUntil([&] { return !calls.empty(); }, 5000));
    EXPECT_EQ(calls, std::vector<std::string>{"insert Calculator 1"});
    // The drag left the row: it no longer looks hovered.
    spin(300);
    EXPECT_EQ(column->list()->viewport()->grab(row).toImage(), unhovered) << "the row kept its hover highlight";

    const QPoint wedge = editor->ring()->mapToGlobal(editor->ring()->hitTargetCentre(3).toPoint());
    const QPoint trash = editor->trash()->mapToGlobal(editor->trash()->rect().center());
    pointerDrag(wedge, {}, trash);
    ASSERT_TRUE(spinUntil([&] { return calls.size() == 2; }, 5000));
    EXPECT_EQ(calls.back(), "remove 3");
    EXPECT_EQ(slots.size(), 3u);
}

TEST_F(DialEditorOnScreen, ADesktopEntryDraggedFromAFileManagerBecomesItsApplicationsSlot) {
    workspace.install("org.gnome.Calculator", "Calculator");
    FileIcon file("/usr/share/applications/org.gnome.Calculator.desktop");
    file.move(window.frameGeometry().right() + 40, window.geometry().top());
    file.show();
    ASSERT_TRUE(spinUntil([&] { return file.isVisible(); }, 5000));
    spin(300);
    pointerDrag(file.mapToGlobal(file.rect().center()), {ringPoint(0.25)}, ringPoint(0.375));
    ASSERT_TRUE(spinUntil([&] { return !calls.empty(); }, 5000));
    EXPECT_EQ(calls, std::vector<std::string>{"insert Calculator 1"});
    EXPECT_EQ(slots[1].type, SlotType::app("org.gnome.Calculator"));
}
