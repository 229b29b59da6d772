#include "dial/radial_menu_controller.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

#include "config/config_manager.h"
#include "dial/dial_geometry.h"
#include "dial/wedge_geometry.h"
#include "platform/workspace.h"
#include "slots/dynamic_title_cache.h"
#include "slots/signpost_log.h"
#include "slots/slot_factory.h"

namespace orbel {
namespace {

constexpr std::uint16_t kTab = 48;
constexpr std::uint16_t kEscape = 53;
constexpr std::uint16_t kReturn = 36;
constexpr std::uint16_t kEnter = 76;
constexpr std::uint16_t kLeft = 123;
constexpr std::uint16_t kRight = 124;
constexpr std::uint16_t kDown = 125;
constexpr std::uint16_t kUp = 126;
constexpr const char* kRootEntryTitle = "Root";

// A stored control matches a key press only when it is a key: a control
// bound to a mouse button is stored with key code 0 (the A key) and no
// modifiers, and must never close the dial on A.
bool matchesKey(const KeyCombination& control, std::uint16_t keyCode, std::uint32_t modifiers) {
    return !control.mouseButton && control.keyCode == keyCode && control.modifiers == modifiers;
}

// After firing one of these the dial stays open.
bool keepsDialOpen(const SlotType& type) {
    return type.is<SlotType::Group>() || type.is<SlotType::ModeSwitch>() || type.is<SlotType::VolumeScrub>() ||
           type.is<SlotType::ProfileSwitch>();
}

bool frameHolds(const QRect& frame, QPointF p) {
    return p.x() >= frame.x() && p.x() < frame.x() + frame.width() && p.y() >= frame.y() &&
           p.y() < frame.y() + frame.height();
}

}  // namespace

RadialMenuController::RadialMenuController(ConfigManager* configManager, DialSurface& surface, QObject* parent)
    : QObject(parent), configManager_(configManager), surface_(surface) {
    surface_.setListener(this);
}

RadialMenuController::~RadialMenuController() {
    if (modeProvider_) modeProvider_->deactivate();
    if (visible_) {
        surface_.releaseKeyboard();
        surface_.dismiss();
        surface_.popCursor();
    }
    surface_.setListener(nullptr);
}

const AppConfig* RadialMenuController::liveConfig() const {
    return configManager_ ? &configManager_->config() : nullptr;
}

// MARK: show and hide

void RadialMenuController::show() {
    if (visible_) return;
    const auto& log = pointsOfInterestLog();
    log.event(SignpostName::showMenuStart);
    DynamicTitleCache::shared().refreshMenuOpenSlots();
    // Opened before the installed applications have been read, the dial
    // draws their slots plainly, and again once they have been.
    if (auto& workspace = platform::Workspace::shared(); !workspace.applicationsKnown())
        workspace.whenApplicationsKnown([self = QPointer<RadialMenuController>(this)] {
            if (self && self->visible_ && self->mode_ == DialMode::standard)
                self->setSlots(SlotFactory::makeSlots(self->levelConfigs_));
        });

    const auto front = platform::Workspace::shared().frontApplication();
    previousFrontmost_ = front && !front->bundleId.empty() ? std::optional(front->bundleId) : std::nullopt;

    if (const AppConfig* config = liveConfig()) {
        const AppOverride* override = nullptr;
        if (previousFrontmost_) {
            auto it = config->appOverrides.find(*previousFrontmost_);
            if (it != config->appOverrides.end()) override = &it->second;
        }
        // The whole configuration is copied only when an override applies.
        std::optional<AppConfig> overridden;
        if (override) overridden = config->applyingOverride(*override);
        const AppConfig& effective = overridden ? *overridden : *config;
        wantedRadius_ = effective.menuRadius;
        if (!(appearance_ == effective.appearance)) {
            appearance_ = effective.appearance;
            Q_EMIT appearanceChanged();
        }
        defaultMenuRoot_ = config->rootGroup;
        appMenuRoot_ = override ? override->menuGroup() : std::nullopt;
        // A per-app dial without slots uses the default dial's slots; the
        // stored override keeps its empty list.
        if (appMenuRoot_ && appMenuRoot_->slots.empty()) appMenuRoot_.reset();
        setRootSelection(appMenuRoot_ ? MenuRootSelection::app : MenuRootSelection::defaultRoot);
        loadSlots(appMenuRoot_ ? appMenuRoot_->slots : defaultMenuRoot_->slots);
    }

    const std::vector<DialScreen> screens = surface_.screens();
    const QPointF pointer = surface_.openingPointerPosition();
    std::optional<DialScreen> target;
    for (const DialScreen& screen : screens) {
        if (frameHolds(screen.frame, pointer)) {
            target = screen;
            break;
        }
    }
    if (!target) target = surface_.mainScreen();
    if (!target) return;
    overlayFrame_ = target->frame;
    fitRadius();

    std::vector<DialScreen> catchers;
    for (const DialScreen& screen : screens)
        if (screen.index != target->index) catchers.push_back(screen);
    hover_.centerPoint = QPointF(target->frame.width() / 2.0, target->frame.height() / 2.0);
    Q_EMIT hoverStateChanged();
    surface_.present(*target, catchers);
    surface_.grabKeyboard();

    visible_ = true;
    Q_EMIT visibleChanged(true);
    updateHover(toPanel(pointer));  // where the pointer was asked for above: no second question
    log.event(SignpostName::showMenuVisible);
    surface_.pushArrowCursor();
}

void RadialMenuController::hide() {
    if (!visible_) return;
    const auto& log = pointsOfInterestLog();
    log.event(SignpostName::hideMenuStart);

    openedViaHold = false;
    previousFrontmost_.reset();
    defaultMenuRoot_.reset();
    appMenuRoot_.reset();
    setRootSelection(MenuRootSelection::defaultRoot);
    deactivateProvider();
    setModeValue(DialMode::standard);
    setCenterContent(CenterContent::appLogo());
    endVolumeDrag();
    surface_.popCursor();
    surface_.releaseKeyboard();
    surface_.dismiss();
    overlayFrame_.reset();

    visible_ = false;
    Q_EMIT visibleChanged(false);
    setHighlightedIndex(-1);
    navigationStack_.clear();
    setCurrentGroup(std::nullopt);
    if (const AppConfig* config = liveConfig()) loadSlots(config->rootGroup.slots);
    log.event(SignpostName::hideMenuComplete);
}

void RadialMenuController::dismissRequested() {
    // After the event that caused it has been delivered, never inside it.
    QMetaObject::invokeMethod(this, [this] { hide(); }, Qt::QueuedConnection);
}

// MARK: levels

void RadialMenuController::setLevel(const std::vector<SlotConfig>& configs) {
    levelConfigs_ = configs;
    setSlots(SlotFactory::makeSlots(configs));
}

void RadialMenuController::loadSlots(const std::vector<SlotConfig>& configs) {
    setCurrentGroup(std::nullopt);
    navigationStack_.clear();
    setLevel(configs);
}

void RadialMenuController::pushGroup(const MenuGroup& group) {
    if (!currentGroup_) {
        // The root level is kept as the configurations it was built from, so
        // going back restores it exactly (icons and scopes included).
        navigationStack_.push_back(
            {MenuGroup{Uuid::random(), kRootEntryTitle, levelConfigs_, SlotIcon::automatic()}, true});
    } else {
        navigationStack_.push_back({*currentGroup_, false});
    }
    setCurrentGroup(group);
    setLevel(group.slots);
    setHighlightedIndex(-1);
}

void RadialMenuController::goBack() {
    if (navigationStack_.empty()) {
        hide();
        return;
    }
    NavigationEntry entry = std::move(navigationStack_.back());
    navigationStack_.pop_back();
    setCurrentGroup(entry.isRoot ? std::nullopt : std::optional(entry.group));
    setLevel(entry.group.slots);
    setHighlightedIndex(-1);
}

void RadialMenuController::cancelOperation() {
    if (!currentGroup_) hide();
    else goBack();
}

void RadialMenuController::toggleMenuRoot() {
    // The music dial has no roots: switching would load configured slots
    // under the music controls.
    if (mode_ == DialMode::music || !appMenuRoot_) return;
    const MenuGroup* target = nullptr;
    if (rootSelection_ == MenuRootSelection::defaultRoot) {
        setRootSelection(MenuRootSelection::app);
        target = &*appMenuRoot_;
    } else {
        setRootSelection(MenuRootSelection::defaultRoot);
        const AppConfig* config = liveConfig();
        target = defaultMenuRoot_ ? &*defaultMenuRoot_ : config ? &config->rootGroup : &*appMenuRoot_;
    }
    loadSlots(target->slots);
    setHighlightedIndex(-1);
}

// MARK: modes

void RadialMenuController::deactivateProvider() {
    QObject::disconnect(providerConnection_);
    if (DialModeProvider* provider = modeProvider_.data()) {
        modeProvider_ = nullptr;
        provider->deactivate();
    }
}

void RadialMenuController::setMode(DialMode mode, DialModeProvider* provider,
                                   SystemVolumeController* volumeController) {
    auto entry = modeProviderRegistry.find(mode);
    if (entry != modeProviderRegistry.end()) {
        if (!provider) provider = entry->second.provider.data();
        if (!volumeController) volumeController = entry->second.volumeController.data();
    }
    if (mode == mode_ && provider == modeProvider_.data()) return;
    volumeController_ = volumeController;
    deactivateProvider();

    if (mode == DialMode::music) {
        if (!provider) return;
        setModeValue(DialMode::music);
        modeProvider_ = provider;
        provider->activate();
        setSlots(provider->slots());
        setCenterContent(provider->currentCenterContent());
        hoverAtPointer();
        QPointer<DialModeProvider> weak(provider);
        providerConnection_ = connect(
            provider, &DialModeProvider::changed, this,
            [this, weak] {
                // A signal queued before the provider was left is dropped.
                if (!weak || weak != modeProvider_) return;
                setSlots(weak->slots());
                setCenterContent(weak->currentCenterContent());
            },
            Qt::QueuedConnection);
        return;
    }
    setModeValue(DialMode::standard);
    setCenterContent(CenterContent::appLogo());
    if (const AppConfig* config = liveConfig()) loadSlots(config->rootGroup.slots);
}

// MARK: highlight and firing

QPointF RadialMenuController::toPanel(QPointF global) const {
    return overlayFrame_ ? global - QPointF(overlayFrame_->topLeft()) : global;
}

void RadialMenuController::hoverAtPointer() {
    if (overlayFrame_) updateHover(toPanel(surface_.pointerPosition()));
}

bool RadialMenuController::highlightValid() const {
    return highlightedIndex_ >= 0 && highlightedIndex_ < static_cast<int>(slots_.size());
}

void RadialMenuController::updateHover(QPointF panelPoint) {
    if (!overlayFrame_) return;
    const int n = static_cast<int>(slots_.size());
    const int index = dial::slotIndex(panelPoint, hover_.centerPoint, n);
    if (hover_.cursorPosition != panelPoint || hover_.highlightedSlotIndex != index) {
        hover_.cursorPosition = panelPoint;
        hover_.highlightedSlotIndex = index;
        Q_EMIT hoverStateChanged();
    }
    setHighlightedIndex(index >= 0 && index < n ? index : -1);
    pointsOfInterestLog().event(SignpostName::hoverUpdated, highlightedIndex_);
}

void RadialMenuController::moveHighlight(int delta) {
    const int n = static_cast<int>(slots_.size());
    if (n == 0) return;
    const int c = highlightedIndex_ >= 0 ? highlightedIndex_ + delta : (delta > 0 ? 0 : -1);
    setHighlightedIndex(((c % n) + n) % n);
}

bool RadialMenuController::isHighlightedVolumeSlot() const {
    return highlightValid() && slots_[highlightedIndex_]->type().is<SlotType::VolumeScrub>();
}

void RadialMenuController::executeHighlighted() {
    if (!highlightValid()) return;
    pointsOfInterestLog().event(SignpostName::executeHighlightedSlot, highlightedIndex_);
    // Held here: the slot may replace the level (group, hide) while it runs.
    const MenuSlotPtr slot = slots_[highlightedIndex_];
    slot->execute(this);
    if (!keepsDialOpen(slot->type())) hide();
}

void RadialMenuController::holdRelease() {
    if (!visible_ || !openedViaHold) return;
    // The wedge under the pointer now, whatever motion was still on its way;
    // but only when it moved since the dial last knew where it was. A level
    // opened in the meantime (the profile list) starts with nothing lit, and
    // a release where the pointer rests must not light and fire one of it.
    if (overlayFrame_) {
        const QPointF now = toPanel(surface_.pointerPosition());
        if (movedFromHover(now)) updateHover(now);
    }
    if (!highlightValid()) {
        hide();
        return;
    }
    const bool group = slots_[highlightedIndex_]->type().is<SlotType::Group>();
    executeHighlighted();
    // The group stays open and is now driven by clicks and keys.
    if (group) openedViaHold = false;
}

bool RadialMenuController::movedFromHover(QPointF panelPoint) const {
    // Positions of one resting pointer from different sources may differ by
    // the half pixel a rounding takes away: a move is more than a pixel.
    return QLineF(panelPoint, hover_.cursorPosition).length() > 1.0;
}

// MARK: input

void RadialMenuController::pointerMoved(std::optional<QPointF> global) {
    if (!visible_ || !overlayFrame_) return;
    const QPointF point = toPanel(global ? *global : surface_.pointerPosition());
    // Only a move changes the highlight. A report where the pointer rests
    // (the motion Qt makes up before a press at a place it had not seen the
    // pointer reach, such as the press of a held button; one move told by
    // two sources) leaves a new level unlit and the keyboard's wedge lit,
    // and is told as an update that changed nothing.
    if (movedFromHover(point)) updateHover(point);
    else pointsOfInterestLog().event(SignpostName::hoverUpdated, highlightedIndex_);
}

bool RadialMenuController::leftPressed(DialClickTarget target, QPointF globalPos) {
    if (!visible_) return false;
    const auto& log = pointsOfInterestLog();
    switch (target) {
    case DialClickTarget::foreignWindow:
        log.event(SignpostName::globalMouseDown);
        hoverAtPointer();
        if (highlightValid()) executeHighlighted();
        else hide();
        return false;  // another application's event cannot be consumed
    case DialClickTarget::ownWindow:
        log.event(SignpostName::localMouseDown);
        hoverAtPointer();
        if (!highlightValid()) {
            hide();
            return true;
        }
        if (isHighlightedVolumeSlot()) return false;
        executeHighlighted();
        return true;
    case DialClickTarget::overlay:
        break;
    }
    log.event(SignpostName::localMouseDown);
    const QPointF point = toPanel(globalPos);
    updateHover(point);
    if (!dial::isHubPoint(point, hover_.centerPoint)) {
        if (highlightedIndex_ < 0) hide();
        else if (isHighlightedVolumeSlot()) beginVolumeDrag();
        else executeHighlighted();
    } else if (mode_ == DialMode::music) {
        hide();
    } else if (currentGroup_) {
        goBack();
    } else if (highlightedIndex_ >= 0) {
        executeHighlighted();
    } else {
        hide();
    }
    return true;
}

bool RadialMenuController::otherButtonPressed(int button) {
    if (!visible_) return false;
    const AppConfig* config = liveConfig();
    const auto back = config ? config->controls.goBackKey.mouseButton : std::nullopt;
    const auto close = config ? config->controls.closeMenuKey.mouseButton : std::nullopt;
    if (currentGroup_ && back && *back == button) {
        goBack();
        return true;
    }
    if (close && *close == button) {
        hide();
        return true;
    }
    return false;
}

bool RadialMenuController::keyPressed(const DialKeyEvent& event) {
    if (!visible_) return false;
    const AppConfig* config = liveConfig();
    const ControlsConfig controls = config ? config->controls : ControlsConfig{};
    const std::uint16_t k = event.keyCode;
    const std::uint32_t m = event.modifiers;

    if (k == kTab) {
        toggleMenuRoot();
        return true;
    }
    // Back before close: the same key goes back inside a group and closes at the root.
    if (currentGroup_ && matchesKey(controls.goBackKey, k, m)) {
        goBack();
        return true;
    }
    if (matchesKey(controls.closeMenuKey, k, m)) {
        hide();
        return true;
    }
    if (m == 0) {
        switch (k) {
        case kRight:
        case kDown: moveHighlight(+1); return true;
        case kLeft:
        case kUp: moveHighlight(-1); return true;
        case kReturn:
        case kEnter:
            if (highlightValid()) {
                executeHighlighted();
                return true;
            }
            break;
        default: break;
        }
    }
    if (m == modifier::kControl && event.unmodifiedText == ",") {
        // The dial stays open; the settings window closes it when it opens.
        if (onOpenSettingsRequested) onOpenSettingsRequested();
        return true;
    }
    // Escape keeps its fixed meaning whatever the configured keys are.
    if (k == kEscape) {
        cancelOperation();
        return true;
    }
    return false;
}

// MARK: volume drag

double RadialMenuController::volumeWedgeWidth() const {
    return dial::wedgeChord(menuRadius_, static_cast<int>(slots_.size()));
}

void RadialMenuController::beginVolumeDrag() {
    if (!volumeController_) return;
    endVolumeDrag();
    volumeDrag_ = VolumeDrag{surface_.pointerPosition(), volumeController_->level(), volumeWedgeWidth()};
    setVolumeDrag(true, std::nullopt);
}

void RadialMenuController::leftDragged() {
    if (!volumeDrag_) return;
    const double dx = surface_.pointerPosition().x() - volumeDrag_->startCursor.x();
    double level = volumeDrag_->levelAtStart;
    if (volumeDrag_->wedgeWidth > 0) level += dx / volumeDrag_->wedgeWidth;
    level = std::clamp(level, 0.0, 1.0);
    setVolumeDrag(true, level);
    if (volumeController_) volumeController_->setLevel(level);
}

void RadialMenuController::leftReleased() {
    if (!volumeDrag_) return;
    const QPointF delta = surface_.pointerPosition() - volumeDrag_->startCursor;
    if (std::hypot(delta.x(), delta.y()) <= dial::kVolumeClickTolerance && volumeController_)
        volumeController_->setMute(!volumeController_->isMuted());
    endVolumeDrag();
    hide();
}

void RadialMenuController::endVolumeDrag() {
    volumeDrag_.reset();
    setVolumeDrag(false, std::nullopt);
}

// MARK: published state

void RadialMenuController::setSlots(std::vector<MenuSlotPtr> slots) {
    slots_ = std::move(slots);
    Q_EMIT slotsChanged();
}

void RadialMenuController::setHighlightedIndex(int index) {
    if (highlightedIndex_ == index) return;
    highlightedIndex_ = index;
    Q_EMIT highlightedIndexChanged(index);
}

void RadialMenuController::setCurrentGroup(std::optional<MenuGroup> group) {
    const bool same = currentGroup_.has_value() == group.has_value() && (!group || currentGroup_->id == group->id);
    currentGroup_ = std::move(group);
    if (!same) Q_EMIT currentGroupChanged();
}

void RadialMenuController::setRootSelection(MenuRootSelection selection) {
    if (rootSelection_ == selection) return;
    rootSelection_ = selection;
    Q_EMIT menuRootSelectionChanged();
}

void RadialMenuController::setModeValue(DialMode mode) {
    if (mode_ == mode) return;
    mode_ = mode;
    Q_EMIT modeChanged(mode);
    fitRadius();
}

void RadialMenuController::fitRadius() {
    if (!overlayFrame_) return;
    // A radius too large for this screen is drawn at the largest that fits;
    // the configuration keeps what the user set.
    const double r = dial::DialMetrics::fittingRadius(wantedRadius_, overlayFrame_->size(), AppConfig::kMinRadius,
                                                      mode_ == DialMode::music);
    if (menuRadius_ == r) return;
    menuRadius_ = r;
    Q_EMIT menuRadiusChanged(menuRadius_);
}

void RadialMenuController::setCenterContent(CenterContent content) {
    if (centerContent_ == content) return;
    centerContent_ = std::move(content);
    Q_EMIT centerContentChanged();
}

void RadialMenuController::setVolumeDrag(bool dragging, std::optional<double> level) {
    if (volumeDragging_ == dragging && draggedVolume_ == level) return;
    volumeDragging_ = dragging;
    draggedVolume_ = level;
    Q_EMIT volumeDragChanged();
}

}  // namespace orbel
