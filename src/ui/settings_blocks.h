#pragma once

// The pieces every settings tab and sheet is assembled from: a section with
// the tab's side margins, a row with its right-aligned label column (label
// and optional help under it) and the control beside it, the inset divider
// between sections, and the symbol badge that heads sheets and list rows.
// None of them reads the configuration or any service. GUI thread.

#include <QColor>
#include <QFont>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace orbel::ui {

// The two shared tints: the system blue and the system purple.
QColor settingsAccent();
QColor groupAccent();

// The text styles of the settings window, from the application font.
enum class TextStyle { title2, title3, callout, caption };
QFont textFont(TextStyle style, QFont::Weight weight = QFont::Normal, bool monospaced = false);
// Foreground levels: primary, secondary, tertiary ink of the palette.
enum class Ink { primary, secondary, tertiary };
QColor inkColor(const QPalette& palette, Ink ink);
// Calls `apply` again whenever the widget's palette changes (its own, an
// ancestor's or the desktop's): for what is drawn from palette colours
// ahead of painting, like icons.
void followPalette(QWidget* widget, std::function<void()> apply);
// A label in one text style and ink.
QLabel* styledLabel(const QString& text, TextStyle style, Ink ink, QWidget* parent = nullptr);
// Sets the text ink of a label (or a line frame), made again from its
// parent's palette whenever that changes.
void setInk(QWidget* widget, Ink ink);
// The same with the colour made by `ink` from the parent's palette.
void setInk(QWidget* widget, std::function<QColor(const QPalette&)> ink);

// A system symbol on a rounded square tinted with `color` at 18 % (corner
// radius 0.22 of the edge, the symbol at half the edge, semibold). Without
// a valid colour, the palette's text colour at the time it is painted.
class SymbolBadge : public QWidget {
public:
    SymbolBadge(std::string symbol, QColor color, int size, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {size_, size_}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
    static qreal cornerRadius(int size) { return size * 0.22; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    QColor color_;
    int size_;
};

// Label column of 140 points (trailing-aligned label, help under it), 14
// points, then the content taking the rest; 9 points above and below.
class SettingsRow : public QWidget {
public:
    static constexpr int kLabelWidth = 140;
    static constexpr int kSpacing = 14;

    SettingsRow(const QString& label, const std::optional<QString>& helpText, QWidget* content,
                QWidget* parent = nullptr);
    void setLabel(const QString& label);
    void setHelpText(const std::optional<QString>& helpText);
    QWidget* content() const { return content_; }
    QLabel* helpLabel() const { return help_; }

private:
    QLabel* label_;
    QLabel* help_;
    QWidget* content_;
};

// Rows stacked with 28 points at the sides and 6 above and below.
class SettingsSection : public QWidget {
public:
    explicit SettingsSection(QWidget* parent = nullptr);
    SettingsRow* addRow(SettingsRow* row);
    SettingsRow* addRow(const QString& label, const std::optional<QString>& helpText, QWidget* content);

private:
    QVBoxLayout* layout_;
};

// The line between sections: inset 28 points at the sides, 4 above and below.
QWidget* settingsDivider(QWidget* parent = nullptr);

// A scrolling page whose column is at most 640 points wide, centred, with
// 14 points above and below; the column's layout takes the sections.
class SettingsPage : public QScrollArea {
public:
    explicit SettingsPage(QWidget* parent = nullptr);
    QVBoxLayout* column() const { return column_; }
    // Sections with a divider between each and a spacer after the last.
    void addSections(std::initializer_list<QWidget*> sections);

private:
    QVBoxLayout* column_;
};

// A symbol picture for buttons and labels, drawn at the widget's pixel ratio.
QIcon symbolIcon(const std::string& symbol, int size, const QColor& color, qreal dpr);
// A push button with an optional symbol before its text.
QPushButton* symbolButton(const QString& text, const std::string& symbol = {}, QWidget* parent = nullptr);
// Widgets side by side, top-aligned, `spacing` apart, the rest of the width left empty.
QWidget* inlineRow(std::initializer_list<QWidget*> widgets, int spacing = 8);
// The value beside a slider: monospaced, secondary, right-aligned, fixed width.
QLabel* valueLabel(int width, QWidget* parent = nullptr);

}  // namespace orbel::ui
