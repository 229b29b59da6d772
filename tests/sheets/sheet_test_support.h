#pragma once

// What the sheet tests share: collecting saved slots, opening a sheet and
// waiting for it, a factory that counts the sheets it would open, and the
// sheets' pictures in the light and the dark palette.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QTest>
#include <functional>
#include <optional>
#include <vector>

#include "model/slot_config.h"
#include "sheets/slot_edit_dispatcher.h"
#include "support/widget_pictures.h"

namespace orbel::testing {

struct Saves {
    std::vector<SlotConfig> slots;
    std::function<void(const SlotConfig&)> callback() {
        return [this](const SlotConfig& s) { slots.push_back(s); };
    }
};

// Runs what deleteLater and queued calls left behind.
inline void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

template <class Sheet>
Sheet* shown(Sheet* sheet) {
    sheet->open();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
    return sheet;
}

// Makes plain dialogs in place of the sheets, and remembers what each was
// asked for.
struct CountingFactory {
    std::vector<SlotEditorKind> opened;
    std::optional<SlotConfig> lastExisting;
    std::optional<GroupEditorRequest> lastGroup;
    std::function<void(const SlotConfig&)> saveSlot;
    std::function<void(const MenuGroup&)> saveGroup;
    QPointer<QDialog> last;

    SlotSheetFactory factory() {
        SlotSheetFactory f;
        f.slotSheet = [this](SlotEditorKind kind, const std::optional<SlotConfig>& existing, auto onSave, QWidget* p) {
            opened.push_back(kind);
            lastExisting = existing;
            saveSlot = std::move(onSave);
            return last = new QDialog(p);
        };
        f.groupEditor = [this](const GroupEditorRequest& request, auto onSave, QWidget* p) {
            opened.push_back(SlotEditorKind::group);
            lastGroup = request;
            saveGroup = std::move(onSave);
            return last = new QDialog(p);
        };
        return f;
    }
};

// Builds and saves a picture once in the light and once in the dark palette
// (the sheets take their colours when they are built), under
// test-artifacts/sheets.
inline void saveSheetPictures(const char* name, const std::function<QWidget*()>& make) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/sheets");
    QDir().mkpath(dir);
    const QPalette light = QApplication::palette();
    for (bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        QWidget* widget = make();
        widget->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(widget));
        settle();
        EXPECT_TRUE(widget->grab().save(QString("%1/%2_%3.png").arg(dir, name, dark ? "dark" : "light"))) << name;
        widget->close();
        delete widget;
        settle();
    }
    QApplication::setPalette(light);
}

}  // namespace orbel::testing
