#pragma once

// The frame of the slot editor sheets: a header naming what is edited (a
// symbol badge or a picture, a title and a subtitle), the form in a scroll
// area between two dividers, and a footer with the dismissing and the
// confirming button. The frame knows nothing of slots: the sheet gives it
// its texts, tells it whether Save is allowed, and does the saving itself.
//
// The sheet is a window-modal dialog opened with open() and deleted when it
// closes. Escape and Cancel close it without saving; Return presses Save
// only while Save is enabled (the Save button is the dialog's one default
// button, so a line edit's Return reaches it once and only through it).
//
// Also here: the labelled form row, the fonts and colours of the sheets'
// text styles, and the small pieces the other sheets repeat (divider,
// footer, symbol pictures, button styles).

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QSize>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;
class QScrollArea;

namespace orbel {

// Fixed sheet sizes in points.
enum class SlotEditSize { compact, standard, tall, wide };
QSize slotEditSize(SlotEditSize size);

// ---- Text styles and colours.
enum class SheetText { title3, headline, subheadline, body, callout, caption, caption2 };
QFont sheetFont(SheetText style, QFont::Weight weight = QFont::Normal, bool monospaced = false);
// The palette's text colour at the opacity of a foreground level.
QColor secondaryColor(const QPalette& palette);  // 55 %
QColor tertiaryColor(const QPalette& palette);   // 30 %
// Whether the palette is a dark one (its window colour is dark).
bool isDarkPalette(const QPalette& palette);
// Draws a label's (or any widget's) text in `color`.
void setTextColor(QWidget* widget, const QColor& color);

// A system symbol drawn `points` big in `color`, for a widget at `dpr`.
QPixmap symbolPixmap(const char* name, double points, const QColor& color, double dpr);
// The red dot that marks a recording, `size` points across.
QPixmap recordingDotPixmap(int size, double dpr);
// A label showing a symbol.
QLabel* makeSymbolLabel(const char* name, double points, const QColor& color, QWidget* parent);

// ---- Pieces the sheets share.
QWidget* makeSheetDivider(QWidget* parent);
// Buttons: the glass style, and the prominent style of a main action.
void styleSheetButton(QPushButton* button, bool prominent);
// Trailing Cancel then confirm, 8 apart, padded 20 / 12. The confirm button
// becomes the dialog's default, Cancel never.
QWidget* makeSheetFooter(QPushButton* cancel, QPushButton* confirm, QWidget* parent);

// One labelled row of a sheet's form: the label, the content, then the help
// text when there is one, and a line saying why the content cannot be
// saved when there is a reason.
class SlotEditFormRow : public QWidget {
    Q_OBJECT
public:
    SlotEditFormRow(const QString& label, QWidget* content, std::optional<QString> helpText = std::nullopt,
                    QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    void setHelpText(const std::optional<QString>& helpText);
    std::optional<QString> helpText() const;
    void setProblem(const std::optional<QString>& problem);
    std::optional<QString> problem() const;

private:
    QWidget* content_;
    QLabel* help_;
    QLabel* problem_;
};

class SlotEditChromeSheet : public QDialog {
    Q_OBJECT
public:
    SlotEditChromeSheet(const QString& symbol, const QString& title, const QString& subtitle, SlotEditSize size,
                        QWidget* parent = nullptr);
    // A sheet of its own size.
    SlotEditChromeSheet(const QString& symbol, const QString& title, const QString& subtitle, QSize size,
                        QWidget* parent = nullptr);

    // Appends a part of the form (rows 16 apart, or `setFormSpacing`).
    void addFormItem(QWidget* item);
    void setFormSpacing(int spacing);
    void setFormMargins(const QMargins& margins);
    void setTitleFont(const QFont& font);
    // A form that does not scroll: it sits at the top with room below it.
    void setFormScrolls(bool scrolls);
    // A picture in the header in place of the badge; an empty one shows none.
    void setHeaderPicture(const QPixmap& picture);

    void setCanSave(bool canSave);
    bool canSave() const;
    // Run by Save (button or Return while enabled); it neither checks
    // canSave again nor closes the sheet.
    std::function<void()> onSave;

    QString title() const;
    void setTitle(const QString& title);
    QString subtitle() const;
    // Keeps the subtitle to one line of at most `width` points, cut in the
    // middle when longer (the whole text in its tooltip).
    void elideSubtitle(int width);
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QScrollArea* formArea() const { return scroll_; }

protected:
    // Deletes the form's widgets. A sheet whose rows hold on to its own
    // members calls this first thing in its destructor, so that no row
    // outlives what it refers to.
    void deleteForm();

private:
    QLabel* badge_;
    QLabel* title_;
    QLabel* subtitle_;
    QString fullSubtitle_;  // the subtitle label may show it cut
    QScrollArea* scroll_;
    QWidget* form_;
    QVBoxLayout* formLayout_;
    QPushButton* cancel_;
    QPushButton* save_;
};

}  // namespace orbel
