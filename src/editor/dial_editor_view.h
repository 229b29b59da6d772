#pragma once

// The dial editor: the ring of the dial being edited (or, while it has no
// slots, a round drop target), a toast over it, and the trash row below.
// Library items and wedges arrive as real drags carrying the payload text;
// every change goes to the host through DialEditorCallbacks and the host
// hands the new list back with setSlots(). The full-dial prompt and the
// question before a group holding slots is removed are window-modal message
// boxes opened with open().
//
// Public surface for hosts: construct with the slots, the cap (6) and the
// callbacks; call setSlots() after applying a callback. GUI thread only.

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "editor/dial_editor_model.h"
#include "editor/editor_ring_model.h"

class QLabel;

namespace orbel::editor {

// The ring: the dial's wedges drawn by the dial's own wedge painter, the
// position numbers, the drag preview, and one round hit target per wedge
// (drag, double-click to edit, context menu Edit / Remove). It is the drop
// area of the editor and forwards drags to the model. From the keyboard
// (Tab reaches it) the arrow keys move a focus mark from wedge to wedge,
// Return or Space edits the marked wedge and the menu key (or Shift+F10)
// opens its context menu.
class EditorRing : public QWidget {
    Q_OBJECT
public:
    // Where the pointer holds a dragged wedge's 52-point plate: 12 points
    // under its middle, so the plate never hides what a target says.
    static constexpr QPoint kDragHotSpot{26, 52 + 12};
    explicit EditorRing(DialEditorModel& model, QWidget* parent = nullptr);

    QPointF centre() const { return {width() / 2.0, height() / 2.0}; }
    const std::vector<RingLayoutItem>& items() const { return items_; }
    // The position of item `i`'s hit target.
    QPointF hitTargetCentre(int i) const;
    // The item whose hit target holds the point, if any.
    std::optional<int> itemAt(QPointF point) const;
    // Re-reads the model (slots or drag state changed); repaints what changed.
    void refresh();
    int paintCount() const { return paints_; }
    // The item the focus mark is on while the ring has the focus.
    std::optional<int> focusedItem() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QRectF itemBounds(int i, int count) const;
    QImage itemImage(const RingLayoutItem& item);
    void startWedgeDrag(int item);
    std::vector<int> itemsWithHitTargets() const;
    void edit(int item);
    void openMenu(int item, QPoint globalAt);

    DialEditorModel& model_;
    std::vector<RingLayoutItem> items_;
    int keyboardItem_ = 0;  // the focus mark's place among the items with a hit target
    std::optional<int> pressedItem_;
    QPoint pressPos_;
    int paints_ = 0;
    std::map<std::string, std::pair<SlotImage, QImage>> images_;  // by item id, with the picture drawn
    bool awaiting_ = false;  // the drag over it is a desktop entry not judged yet
};

// A drop target for payloads it takes (read at once on entry): lit while a
// drag it takes is over it; a drop hands the payload on a turn later.
class PayloadDropZone : public QWidget {
    Q_OBJECT
public:
    bool isTargeted() const { return targeted_; }

protected:
    PayloadDropZone(std::function<bool(const std::optional<SlotDragPayload>&)> accepts,
                    std::function<void(const SlotDragPayload&)> onDrop, QWidget* parent);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::function<bool(const std::optional<SlotDragPayload>&)> accepts_;
    std::function<void(const SlotDragPayload&)> onDrop_;
    bool targeted_ = false;
};

// The row under the ring onto which a wedge is dragged to remove it; it
// refuses library items.
class TrashDropZone : public PayloadDropZone {
    Q_OBJECT
public:
    explicit TrashDropZone(std::function<void(const Uuid&)> onRemove, QWidget* parent = nullptr);
    bool isHighlighted() const { return isTargeted(); }
    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The dashed circle shown while the dial has no slots; it takes library
// items only.
class EmptyDropTarget : public PayloadDropZone {
    Q_OBJECT
public:
    EmptyDropTarget(double diameter, std::function<void(const SlotDragPayload&)> onDrop, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double diameter_;
};

class RadialDialEditor : public QWidget {
    Q_OBJECT
public:
    RadialDialEditor(std::vector<SlotConfig> slots, int cap, DialEditorCallbacks callbacks, QWidget* parent = nullptr);
    ~RadialDialEditor() override;

    void setSlots(std::vector<SlotConfig> slots);
    const std::vector<SlotConfig>& slots() const { return model_.slots(); }

    DialEditorModel& model() { return model_; }
    EditorRing* ring() const { return ring_; }
    EmptyDropTarget* emptyTarget() const { return empty_; }
    TrashDropZone* trash() const { return trash_; }
    // The open full-dial prompt, if any.
    QMessageBox* fullDialPromptBox() const { return promptBox_; }
    // The open question before a group is removed, if any.
    QMessageBox* removalConfirmation() const { return removalBox_; }
    // The toast's text; empty while none shows.
    QString toastText() const;
    void showToast(const QString& message);

private:
    void showPrompt();
    void layoutRingArea();

    DialEditorModel model_;
    QWidget* area_ = nullptr;
    EditorRing* ring_ = nullptr;
    EmptyDropTarget* empty_ = nullptr;
    TrashDropZone* trash_ = nullptr;
    QLabel* toast_ = nullptr;
    QPointer<QMessageBox> promptBox_;
    QPointer<QMessageBox> removalBox_;
};

}  // namespace orbel::editor
