#pragma once

// The compact colour control: a small swatch of the bound colour; a click
// opens a popover with "Use System Accent", twelve presets and a hex field.
// The popover is a Qt::Popup; clicking elsewhere closes it. Every change the
// user makes is announced by `accentHexChanged`. GUI thread only.

#include <QAbstractButton>
#include <QFrame>
#include <functional>
#include <optional>
#include <string>

#include "model/dial_palette.h"
#include "ui/accent_swatch_model.h"

class QLineEdit;

namespace orbel {

class AccentSwatchPopover;

class AccentSwatchPicker : public QAbstractButton {
    Q_OBJECT
public:
    explicit AccentSwatchPicker(std::optional<std::string> accentHex = std::nullopt, QWidget* parent = nullptr);
    ~AccentSwatchPicker() override;

    // "#RRGGBB"; none: the system's own colour.
    const std::optional<std::string>& accentHex() const { return model_.accentHex(); }
    // The host's write; no signal.
    void setAccentHex(std::optional<std::string> hex);
    // What the swatch shows while no colour is chosen: the colour the dial
    // draws then, its backdrop's fill or its filled wedges' tint, for the
    // appearance `appearance` gives at the time and the colour scheme of the
    // swatch's palette. Without it, the text colour.
    enum class DialColor { backdrop, slot };
    void showDialColorWhenUnset(std::function<AppearanceConfig()> appearance, DialColor which);

    // Opens the popover under the swatch (the click does the same), or
    // closes it when open.
    void togglePopover();
    bool isPopoverOpen() const { return model_.isOpen(); }
    // Made on first opening.
    AccentSwatchPopover* popover() const { return popover_; }

    // The swatch and, around it, room for the focus mark.
    QSize sizeHint() const override { return {36, 26}; }

Q_SIGNALS:
    void accentHexChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class AccentSwatchPopover;
    // After each action of the popover.
    void afterAction(bool changed);

    AccentSwatchModel model_;
    std::function<AppearanceConfig()> unsetAppearance_;
    DialColor unsetColor_ = DialColor::backdrop;
    AccentSwatchPopover* popover_ = nullptr;
    // Set while the press that closed the popover is handed on to the swatch,
    // so that a click on the swatch closes the popover instead of reopening it.
    bool popoverJustClosed_ = false;
};

class AccentSwatchPopover : public QFrame {
    Q_OBJECT
public:
    explicit AccentSwatchPopover(AccentSwatchPicker& picker);

    QLineEdit* hexField() const { return hexField_; }
    // Reloads the marks and the field from the model.
    void refresh();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    AccentSwatchPicker& picker_;
    QLineEdit* hexField_;
};

}  // namespace orbel
