#pragma once

// Small controls of the settings window: the segmented picker, the on/off
// switch and the one-line label that elides in the middle, and the focus
// mark of the controls that draw themselves. GUI thread.

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QWidget>
#include <vector>

class QPainter;

namespace orbel::ui {

// One row of mutually exclusive options; a click on an option other than
// the selected one selects it and reports it.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList& options, QWidget* parent = nullptr);
    int selected() const { return selected_; }
    void setSelected(int index);
    int count() const { return static_cast<int>(options_.size()); }
    QString option(int index) const { return options_.value(index); }
    // The option's rectangle, for hit tests and for tests that click it.
    QRect segmentRect(int index) const;
    // Segments as wide as their titles (a row of chips, say, in a
    // scrolling strip) instead of equal and at most 280 points in all.
    // -1 as the selection selects none.
    void setSegmentsFitTitles(bool fit);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void activated(int index);

protected:
    bool event(QEvent* event) override;  // an elided title's tooltip
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int titleWidth(int index) const;
    QStringList options_;
    int selected_ = 0;
    bool fitTitles_ = false;
};

// A checkable button drawn as a switch.
class ToggleSwitch : public QAbstractButton {
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    // The track and, around it, room for the focus mark.
    QSize sizeHint() const override { return {42, 26}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One line of text, elided in the middle (or where `setElideMode` says)
// when it does not fit; the whole text shows as a tool tip and is what
// "Copy" (context menu, Ctrl+C) copies. Plain text, never markup.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);
    void setFullText(const QString& text);
    void setElideMode(Qt::TextElideMode mode);
    const QString& fullText() const { return full_; }
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void relayout();
    QString full_;
    Qt::TextElideMode mode_ = Qt::ElideMiddle;
};

// `text` as a tool tip that shows it as it stands. Qt reads a tool tip that
// looks like markup as rich text, and loads the pictures it names: text from
// a file, a backup, a server, a desktop entry, a window or a script goes
// through this.
QString plainToolTip(const QString& text);

// Whether `control` has the focus and shows it with a focus mark: the
// focus came by the keyboard. Focus moved by Tab, a shortcut or the program
// after a key press is the keyboard's; focus a click gave, or moved by the
// program after a click (a page a click showed, a row it rebuilt), is not.
// Focus given back as a window or a menu closes keeps how it came. Every
// focus mark asks this, and so does the application's style for the focus
// frames it draws (push buttons, text fields, sliders).
bool showsFocusMark(const QWidget* control);
// Whether `control` has the focus by a move of the keyboard's: Tab, a
// shortcut or the program after a key, as `showsFocusMark` judges, and
// not given back as its window or a menu closed. A page scrolls to such a
// control only.
bool focusMovedByKeyboard(const QWidget* control);
// Gives `to` the focus, marked as `from`'s focus was (or as the last input
// says, when `from` never had it): a control made again in the place of
// one that had the focus. In a window that is not active, `to` takes the
// focus when the window is active again.
void passFocus(const QWidget* from, QWidget* to);
// Forgets the inputs seen so far: the focus is judged as before the
// application's first input (each test of a test program starts so).
void forgetFocusOrigin();

// The keyboard focus mark of a control that draws itself: an accent
// outline along `outline`, a rounded rectangle of corner `radius`.
void paintFocusMark(QPainter& painter, const QPalette& palette, const QRectF& outline, qreal radius);

// The same mark on a control the style draws (a push button, a scroll
// area), whose own focus look is none or that of its unfocused default:
// drawn by a widget over it that takes no input, while `showsFocusMark`
// says so. With `outset` > 0 the mark rings the control that far outside
// it (beside a filled button, where a mark on the fill would not show), in
// its parent or, where the parent's edge would cut it, in the nearest
// ancestor with room for it; with 0 it runs along the control's edge.
// Marking a control twice changes nothing.
void markFocus(QWidget* control, qreal radius, int outset = 0);
// The outset of the ring around a push button, and its corner.
inline constexpr int kButtonMarkOutset = 3;
inline constexpr qreal kButtonMarkRadius = 5;
// Rings each of `window`'s push buttons that is its default button.
void markDefaultButtons(QWidget* window);

// Tab follows what is drawn in a list whose rows are made after the
// controls drawn below them (an "Add" bar): the controls of `rows`, row by
// row, come just before `below` in the Tab chain, and what came between
// follows them. In the window the list is shown in: in a window of their
// own, rows and bar are a ring without a first.
void tabBefore(const std::vector<QWidget*>& rows, QWidget* below);

// Empties a list of rows. Each row is gone at once for lookups and deleted
// later, as it may be running the click that rebuilt the list.
void clearRows(QLayout* rows);

}  // namespace orbel::ui
