#pragma once

// The dial's controller: owns everything the dial is while it is on screen
// (the level's live slots, the highlight, the group path, the mode, the
// centre, a running volume drag) and what it remembers while hidden (the
// root slots of the live configuration). Driven by the application's
// activation paths (show, hide, holdRelease, setMode), by the input its
// surface reports, and by the slots it runs (hide, pushGroup, switchMode).
// The views draw nothing but the state published here; every change is
// announced by the matching signal. GUI thread only.

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dial/center_content.h"
#include "dial/dial_mode_provider.h"
#include "dial/dial_surface.h"
#include "model/app_config.h"
#include "model/appearance_config.h"
#include "model/dial_mode.h"
#include "model/slot_config.h"
#include "slots/menu_slot.h"

namespace orbel {

class ConfigManager;

// The pointer geometry of the last hover update, in overlay-panel
// coordinates (top-left origin).
struct HoverState {
    QPointF cursorPosition;
    QPointF centerPoint;
    int highlightedSlotIndex = -1;
    bool operator==(const HoverState&) const = default;
};

enum class MenuRootSelection { app, defaultRoot };

class RadialMenuController : public QObject, public DialController, private DialSurfaceListener {
    Q_OBJECT

public:
    static constexpr double kDefaultRadius = 200.0;

    // The mode a registry entry switches to: its provider and, for a mode
    // with a volume wedge, the volume it drives.
    struct ModeEntry {
        QPointer<DialModeProvider> provider;
        QPointer<SystemVolumeController> volumeController;
    };

    // `configManager` is held weakly (the dial falls back when it is gone);
    // `surface` must outlive the controller. Loads no slots.
    RadialMenuController(ConfigManager* configManager, DialSurface& surface, QObject* parent = nullptr);
    ~RadialMenuController() override;

    // Published state, read by the views and the application shell.
    bool isVisible() const { return visible_; }
    const std::vector<MenuSlotPtr>& currentSlots() const { return slots_; }
    int highlightedIndex() const { return highlightedIndex_; }
    const HoverState& hoverState() const { return hover_; }
    // The group on screen; nothing at a root level.
    const std::optional<MenuGroup>& currentGroup() const { return currentGroup_; }
    MenuRootSelection menuRootSelection() const { return rootSelection_; }
    DialMode mode() const { return mode_; }
    const CenterContent& centerContent() const { return centerContent_; }
    bool isVolumeDragging() const { return volumeDragging_; }
    std::optional<double> draggedVolume() const { return draggedVolume_; }
    double menuRadius() const { return menuRadius_; }
    const AppearanceConfig& appearance() const { return appearance_; }
    // The overlay panel's frame while the dial is up (global coordinates).
    std::optional<QRect> overlayFrame() const { return overlayFrame_; }

    // Written by the application shell.
    bool openedViaHold = false;
    std::map<DialMode, ModeEntry> modeProviderRegistry;
    std::function<void()> onOpenSettingsRequested;

    // Lifecycle. show does nothing while visible, hide nothing while hidden.
    void show();
    void hide() override;
    // The hold binding was released: fires the slot under the pointer (a group
    // keeps the dial open and ends the hold), or closes the dial.
    void holdRelease();

    // Levels. loadSlots makes `configs` the root level (no group, no path)
    // and keeps the highlight; pushGroup enters a group; goBack leaves it
    // (closing the dial at the root); toggleMenuRoot switches between the
    // front application's own root and the default one.
    void loadSlots(const std::vector<SlotConfig>& configs);
    void pushGroup(const MenuGroup& group) override;
    void goBack();
    void toggleMenuRoot();
    // Escape's fixed meaning: back inside a group, close at the root.
    void cancelOperation();

    // Modes. Without a provider or volume controller the registry supplies
    // them. The same mode with the same provider changes nothing.
    void setMode(DialMode mode, DialModeProvider* provider = nullptr,
                 SystemVolumeController* volumeController = nullptr);
    void switchMode(DialMode mode) override { setMode(mode); }

    // Highlight and firing.
    void updateHover(QPointF panelPoint);  // overlay-panel coordinates
    void moveHighlight(int delta);
    void executeHighlighted();
    bool isHighlightedVolumeSlot() const;

    // Volume drag on the volume wedge: one wedge chord of horizontal travel
    // spans the whole range; a release within 4 points of the press toggles
    // mute instead. Either way the dial then closes.
    void beginVolumeDrag();
    double volumeWedgeWidth() const;
    void endVolumeDrag();

    std::optional<std::string> previousFrontmostBundleId() const override { return previousFrontmost_; }

Q_SIGNALS:
    void visibleChanged(bool visible);
    void slotsChanged();
    void highlightedIndexChanged(int index);
    void hoverStateChanged();
    void currentGroupChanged();
    void menuRootSelectionChanged();
    void modeChanged(DialMode mode);
    void centerContentChanged();
    void volumeDragChanged();  // isVolumeDragging or draggedVolume
    void menuRadiusChanged(double radius);
    void appearanceChanged();

private:
    // Surface input.
    void pointerMoved(std::optional<QPointF> global) override;
    bool leftPressed(DialClickTarget target, QPointF globalPos) override;
    void leftDragged() override;
    void leftReleased() override;
    bool otherButtonPressed(int button) override;
    bool keyPressed(const DialKeyEvent& event) override;
    void dismissRequested() override;

    // A navigation level above the current one. The root entry is marked as
    // such, and keeps the configurations the root level was built from.
    struct NavigationEntry {
        MenuGroup group;
        bool isRoot = false;
    };
    struct VolumeDrag {
        QPointF startCursor;  // global
        double levelAtStart = 0;
        double wedgeWidth = 0;
    };

    const AppConfig* liveConfig() const;
    QPointF toPanel(QPointF global) const;
    void hoverAtPointer();
    bool movedFromHover(QPointF panelPoint) const;
    bool highlightValid() const;
    void setSlots(std::vector<MenuSlotPtr> slots);
    void setLevel(const std::vector<SlotConfig>& configs);
    void setHighlightedIndex(int index);
    void setCurrentGroup(std::optional<MenuGroup> group);
    void setRootSelection(MenuRootSelection selection);
    void setModeValue(DialMode mode);
    // Draws the dial at the largest radius that fits the screen it opened on
    // in the current mode (the music dial keeps room for its caption).
    void fitRadius();
    void setCenterContent(CenterContent content);
    void setVolumeDrag(bool dragging, std::optional<double> level);
    void deactivateProvider();

    QPointer<ConfigManager> configManager_;
    DialSurface& surface_;

    bool visible_ = false;
    std::vector<MenuSlotPtr> slots_;
    std::vector<SlotConfig> levelConfigs_;  // what the root or group level on screen was built from
    int highlightedIndex_ = -1;
    HoverState hover_;
    std::optional<MenuGroup> currentGroup_;
    MenuRootSelection rootSelection_ = MenuRootSelection::defaultRoot;
    DialMode mode_ = DialMode::standard;
    CenterContent centerContent_ = CenterContent::appLogo();
    QPointer<DialModeProvider> modeProvider_;
    QMetaObject::Connection providerConnection_;
    QPointer<SystemVolumeController> volumeController_;
    bool volumeDragging_ = false;
    std::optional<double> draggedVolume_;
    std::optional<VolumeDrag> volumeDrag_;
    double menuRadius_ = kDefaultRadius;    // as drawn on the dial's screen
    double wantedRadius_ = kDefaultRadius;  // as configured
    AppearanceConfig appearance_;
    std::optional<QRect> overlayFrame_;
    std::vector<NavigationEntry> navigationStack_;
    std::optional<std::string> previousFrontmost_;
    std::optional<MenuGroup> defaultMenuRoot_;
    std::optional<MenuGroup> appMenuRoot_;
};

}  // namespace orbel
