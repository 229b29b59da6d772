#pragma once

// A widget showing one slot icon as the settings window shows icons: drawn
// by the icon catalogue's view rules in the widget's text colour, fitted into
// whatever size its layout gives it.

#include <QWidget>

#include "icons/icon_catalog.h"

namespace orbel {

class SlotIconView : public QWidget {
    Q_OBJECT
public:
    // `size` is the icon's nominal size S, from which font sizes derive.
    explicit SlotIconView(SlotIcon icon = SlotIcon::automatic(), double size = 30, QWidget* parent = nullptr,
                          IconCatalog& catalog = IconCatalog::shared());

    const SlotIcon& icon() const { return icon_; }
    void setIcon(SlotIcon icon);
    QSize sizeHint() const override;

    // The view colours of a palette: its text colour, at full, 55 % and
    // 30 % opacity.
    static IconViewStyle styleFor(const QPalette& palette, double devicePixelRatio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    IconCatalog& catalog_;
    SlotIcon icon_;
    double size_;
};

}  // namespace orbel
