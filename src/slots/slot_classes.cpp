#include "slots/slot_classes.h"

#include <QCoreApplication>

#include "config/config_manager.h"
#include "config/profile_list.h"
#include "model/profile_name.h"
#include "platform/app_counterparts.h"
#include "platform/workspace.h"
#include "slots/alert_utility.h"
#include "slots/dynamic_title_cache.h"
#include "slots/macro_runner.h"
#include "slots/script_runner.h"
#include "slots/slot_factory.h"
#include "slots/snippet_paste.h"
#include "slots/system_action_executor.h"

namespace orbel {

namespace {

std::string tr(const char* text) { return QCoreApplication::translate("MenuSlot", text).toStdString(); }

void showProfileError(const std::string& title, const std::string& message) {
    AlertUtility::showError(title, message);
}

std::optional<std::string> targetOf(DialController* controller) {
    return controller ? controller->previousFrontmostBundleId() : std::nullopt;
}

}  // namespace

SlotImage ConfiguredSlot::configuredImage(std::string description) const {
    return SlotImage{slotIcon_, fallbackSymbol(type_, slotIcon_), std::move(description), {}};
}

// MARK: app

AppSlot::AppSlot(const SlotConfig& config)
    : ConfiguredSlot(config), bundleId_(config.type.get<SlotType::App>()->bundleId) {}

namespace {
// The role of an identifier whose application is known to be missing here,
// if the identifier table gives it one.
std::optional<platform::AppRole> missingRole(const std::string& bundleId) {
    const platform::AppCounterpart* counterpart = platform::counterpartFor(bundleId);
    if (!counterpart || !counterpart->role) return std::nullopt;
    if (!platform::Workspace::shared().applicationFor(bundleId).isNone()) return std::nullopt;
    return counterpart->role;
}

bool applicationsKnown() { return platform::Workspace::shared().applicationsKnown(); }
}  // namespace

SlotImage AppSlot::imageFor(const std::string& bundleId) {
    SlotImage image{SlotIcon::automatic(), "app", "App", {}};
    const auto app = platform::Workspace::shared().applicationFor(bundleId);
    // Until the applications have been read, the plain symbol stands in.
    if (app.isNotKnownYet()) return image;
    if (app.value()) {
        image.appIcon = app.value()->icon;
        return image;
    }
    image.unavailable = true;
    // A role no application plays here is drawn with the role's symbol.
    if (const platform::AppCounterpart* counterpart = platform::counterpartFor(bundleId); counterpart && counterpart->role)
        image.fallbackSymbol = platform::roleSymbol(*counterpart->role);
    return image;
}

std::string AppSlot::titleFor(const std::string& bundleId, const std::string& stored) {
    // A title the user gave stays, whatever is installed.
    if (!platform::isStockTitle(bundleId, stored) || !applicationsKnown()) return stored;
    if (const auto role = missingRole(bundleId)) return tr(platform::roleTitle(*role));
    return stored;
}

std::string AppSlot::title() const {
    if (shownTitle_) return *shownTitle_;
    // Asked before the title is made: known then, the answers it is made of are too.
    const bool known = applicationsKnown();
    std::string title = titleFor(bundleId_, title_);
    if (known) shownTitle_ = title;  // else asked again once they are
    return title;
}

SlotImage AppSlot::icon() const {
    if (image_) return *image_;
    const bool known = applicationsKnown();
    SlotImage image = imageFor(bundleId_);
    if (known) image_ = image;
    return image;
}

void AppSlot::execute(DialController* controller) {
    auto& workspace = platform::Workspace::shared();
    if (!workspace.applicationsKnown()) {
        // Fired before the applications have been read: it starts once they are.
        workspace.whenApplicationsKnown(
            [bundleId = bundleId_, title = title_, fromDial = controller != nullptr] { open(bundleId, title, fromDial); });
        return;
    }
    open(bundleId_, title_, controller != nullptr);
}

void AppSlot::open(const std::string& bundleId, const std::string& title, bool fromDial) {
    auto& workspace = platform::Workspace::shared();
    // The identifier table's answers (the stock dial's) are resolved ahead
    // on a pool thread, so this reads a cache.
    const auto lookup = workspace.applicationFor(bundleId);
    if (lookup.isNotKnownYet()) {
        // Still being read (the index may have been emptied and read again):
        // it starts once they are known.
        workspace.whenApplicationsKnown([bundleId, title, fromDial] { open(bundleId, title, fromDial); });
        return;
    }
    const platform::ApplicationRef* app = lookup.value();
    if (!app) {
        // Fired from the dial, the user is told; run outside it, nothing happens.
        if (!fromDial) return;
        if (const auto role = missingRole(bundleId)) {
            AlertUtility::showError(QCoreApplication::translate("MenuSlot", "No application for %1 is installed")
                                        .arg(QString::fromStdString(tr(platform::roleTitle(*role))))
                                        .toStdString(),
                                    tr("Install one, or choose another application for this slot in Settings."));
            return;
        }
        const std::string name = title.empty() ? tr("This application") : title;
        AlertUtility::showError(
            QCoreApplication::translate("MenuSlot", "%1 is not installed").arg(QString::fromStdString(name)).toStdString(),
            tr("Install it, or choose another application for this slot in Settings."));
        return;
    }
    // Opening a running application brings its windows to the front.
    for (const auto& running : workspace.runningApplications())
        if (running.bundleId == app->bundleId && workspace.activate(running)) return;
    workspace.launch(*app);
}

// MARK: action

ActionSlot::ActionSlot(const SlotConfig& config)
    : ConfiguredSlot(config), action_(config.type.get<SlotType::Action>()->action) {}

SlotImage ActionSlot::icon() const {
    // The configured icon is never shown for actions.
    return SlotImage{SlotIcon::automatic(), fallbackSymbol(type_), title_, {}};
}

void ActionSlot::execute(DialController*) { SystemActionExecutor::shared().perform(action_); }

// MARK: keystroke

KeystrokeSlot::KeystrokeSlot(const SlotConfig& config)
    : ConfiguredSlot(config), steps_(config.type.get<SlotType::Keystroke>()->steps) {}

void KeystrokeSlot::execute(DialController* controller) {
    const auto target = targetOf(controller);
    if (controller) controller->hide();  // the target comes to the front again
    MacroRunner::shared().run(steps_, target);
}

// MARK: script

ScriptSlot::ScriptSlot(const SlotConfig& config)
    : ConfiguredSlot(config), invocation_(config.type.get<SlotType::Script>()->invocation) {}

void ScriptSlot::execute(DialController*) {
    const std::string title = title_;
    runScript(invocation_, [title](const ScriptResult& result) {
        const ScriptError* error = result.error();
        if (!error) return;
        std::string message;
        switch (error->kind) {
            case ScriptError::Kind::nonzeroExit:
                message = "Exit " + std::to_string(error->code) + "\n" + error->message;
                break;
            case ScriptError::Kind::osaFailed: message = error->message; break;
            case ScriptError::Kind::launchFailed: message = tr("Failed to launch: ") + error->message; break;
        }
        AlertUtility::showError(tr("Script slot \"") + title + "\" " + tr("failed"), message);
    });
}

// MARK: snippet

SnippetSlot::SnippetSlot(const SlotConfig& config)
    : ConfiguredSlot(config), body_(config.type.get<SlotType::Snippet>()->text) {}

void SnippetSlot::execute(DialController* controller) {
    const auto target = targetOf(controller);
    if (controller) controller->hide();
    pasteSnippet(body_, target);
}

// MARK: dynamic

DynamicSlot::DynamicSlot(const SlotConfig& config)
    : ConfiguredSlot(config),
      scope_(config.scope),
      config_(config.type.get<SlotType::Dynamic>()->config) {
    DynamicTitleCache::shared().registerSlot(id_, title_, config_);
}

DynamicSlot::~DynamicSlot() { DynamicTitleCache::shared().unregister(id_); }

std::string DynamicSlot::title() const { return DynamicTitleCache::shared().title(id_, title_); }

void DynamicSlot::execute(DialController*) {
    const DynamicClickAction& click = config_.clickAction;
    switch (click.kind()) {
        case DynamicClickAction::Kind::runScript:
            runScript(*click.script(), [](const ScriptResult&) {});  // a click script fails quietly
            break;
        case DynamicClickAction::Kind::action: SystemActionExecutor::shared().perform(*click.systemAction()); break;
        case DynamicClickAction::Kind::rerunProducer: DynamicTitleCache::shared().refresh(id_); break;
        case DynamicClickAction::Kind::none: break;
    }
}

// MARK: cycling

CyclingSlot::CyclingSlot(const SlotConfig& config)
    : ConfiguredSlot(config), scope_(config.scope), children_(config.type.get<SlotType::Cycling>()->children) {}

const SlotConfig* CyclingSlot::currentChild() const {
    if (children_.empty()) return nullptr;
    return &children_[static_cast<std::size_t>(CyclingIndexStore::shared().currentIndex(children_))];
}

std::string CyclingSlot::title() const {
    const SlotConfig* child = currentChild();
    return child ? child->title : title_;
}

SlotImage CyclingSlot::icon() const {
    // The symbol describes the slot by the title it shows: the next child's.
    if (!slotIcon_.isAuto()) return configuredImage(title());
    // Worked out from the child's configuration: building the child's live
    // slot on every redraw would start a dynamic child's producer each time.
    // A child the factory does not make (the music kinds) leaves the
    // cycling slot's own symbol.
    if (const SlotConfig* child = currentChild();
        child && !child->type.is<SlotType::Transport>() && !child->type.is<SlotType::VolumeScrub>()) {
        const auto index = static_cast<std::int64_t>(child - children_.data());
        if (!childImage_ || childImage_->first != index) childImage_.emplace(index, SlotFactory::imageFor(*child));
        return childImage_->second;
    }
    return SlotImage{SlotIcon::automatic(), fallbackSymbol(type_), title(), {}};
}

void CyclingSlot::execute(DialController* controller) {
    if (children_.empty()) return;
    const SlotConfig child = *currentChild();
    if (MenuSlotPtr slot = SlotFactory::makeSlot(child)) slot->execute(controller);
    CyclingIndexStore::shared().advance(children_);
}

// MARK: profiles

namespace {
// The application's configuration manager, or the alert that it is missing.
ConfigManager* configManagerOrAlert() {
    ConfigManager* manager = ConfigManager::current();
    if (!manager) showProfileError(tr("Cannot switch profile"), tr("The configuration manager is unavailable."));
    return manager;
}
}  // namespace

ProfileSwitchSlot::ProfileSwitchSlot(const SlotConfig& config) : ConfiguredSlot(config) {}

void ProfileSwitchSlot::execute(DialController* controller) {
    ConfigManager* manager = configManagerOrAlert();
    if (!manager || !controller) return;
    // Names and icons as last read off the GUI thread, not read here.
    const std::shared_ptr<const ProfileList::Entries> profiles = manager->profileList().entries();
    if (profiles->empty()) {
        AlertUtility::showNotice(tr("No profiles saved"),
                                 tr("Create a profile in Settings → Profiles, then this slot will list it."));
        return;
    }
    MenuGroup group;
    group.title = title_.empty() ? tr("Profiles") : title_;
    group.icon = slotIcon_;
    for (const auto& profile : *profiles) {
        SlotConfig entry;
        entry.type = SlotType::profileTarget(normalisedProfileName(profile.name));
        entry.title = shownProfileName(profile.name);
        entry.icon = profile.icon;
        group.slots.push_back(std::move(entry));
    }
    controller->pushGroup(group);
}

ProfileTargetSlot::ProfileTargetSlot(const SlotConfig& config)
    : ConfiguredSlot(config),
      target_(config.type.get<SlotType::ProfileTarget>()->profile.name) {}

void ProfileTargetSlot::execute(DialController*) {
    ConfigManager* manager = configManagerOrAlert();
    if (!manager) return;
    try {
        manager->switchToProfileKeepingLive(target_);
    } catch (const ProfileStoreError& e) {
        if (e.kind() == ProfileStoreError::Kind::notFound) {
            showProfileError(tr("Profile not found"), tr("No profile named \"") + shownProfileName(e.payload()) + "\" " +
                                                          tr("exists. Create it in Settings → Profiles."));
        } else if (e.kind() == ProfileStoreError::Kind::atCap) {
            // The live dial is in no profile and could not be kept as "Default".
            showProfileError(tr("Profile switch failed"),
                             tr("The current dial is not saved in any profile, and it cannot be kept as "
                                "\"Default\" because six profiles exist already. Delete a profile first, "
                                "so that switching does not lose it."));
        } else {
            showProfileError(tr("Profile switch failed"), e.what());
        }
    } catch (const std::exception& e) {
        showProfileError(tr("Profile switch failed"), e.what());
    }
}

// MARK: group and mode

GroupSlot::GroupSlot(const SlotConfig& config)
    : ConfiguredSlot(config), group_(*config.type.get<SlotType::Group>()->group) {}

SlotImage GroupSlot::icon() const { return configuredImage("Group"); }

void GroupSlot::execute(DialController* controller) {
    if (controller) controller->pushGroup(group_);
}

ModeSwitchSlot::ModeSwitchSlot(const SlotConfig& config)
    : ConfiguredSlot(config), target_(config.type.get<SlotType::ModeSwitch>()->mode) {}

SlotImage ModeSwitchSlot::icon() const { return configuredImage(title()); }

void ModeSwitchSlot::execute(DialController* controller) {
    if (controller) controller->switchMode(target_);
}

}  // namespace orbel
