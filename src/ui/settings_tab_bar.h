#pragma once

// The row of tab buttons across the top of the settings window: a symbol
// over a short title each, the selected one on a translucent pill, a hovered
// one on a faint fill. Clicking a button focuses it and reports its index,
// also for the tab already selected; which tab is selected is the owner's
// to say. A focus on a tab button follows the selection. The arrows move the
// focus to the next or the previous tab and report it as a click does,
// stopping at either end (Left is the tab on the left in a right-to-left
// layout too); they never take the focus out of the bar. GUI thread.

#include <QWidget>
#include <string>
#include <vector>

class QHBoxLayout;

namespace orbel::ui {

class SettingsTabButton;

class SettingsTabBar : public QWidget {
    Q_OBJECT
public:
    struct Tab {
        std::string symbol;
        QString label;
    };

    explicit SettingsTabBar(QWidget* parent = nullptr);
    void setTabs(const std::vector<Tab>& tabs);
    // -1 (or any index of no tab) marks none.
    void setSelected(int index);
    int selected() const { return selected_; }
    int count() const { return static_cast<int>(buttons_.size()); }
    QWidget* button(int index) const;

Q_SIGNALS:
    void tabClicked(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QHBoxLayout* row_;
    std::vector<SettingsTabButton*> buttons_;
    int selected_ = -1;
};

}  // namespace orbel::ui
