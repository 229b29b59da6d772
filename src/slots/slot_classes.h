#pragma once

// The live slots made from stored configurations. Each keeps what it needs
// of its SlotConfig, knows its title and picture, and hands execution to the
// engine that does the work.

#include <string>
#include <vector>

#include "config/cycling_index_store.h"
#include "slots/menu_slot.h"

namespace orbel {

// Common fields: identity, kind, title and icon as configured.
class ConfiguredSlot : public MenuSlot {
public:
    explicit ConfiguredSlot(const SlotConfig& config)
        : id_(config.id), type_(config.type), title_(config.title), slotIcon_(config.icon) {}
    Uuid id() const override { return id_; }
    const SlotType& type() const override { return type_; }
    std::string title() const override { return title_; }
    // The configured icon, described by the title shown.
    SlotImage icon() const override { return configuredImage(title()); }

protected:
    // The configured icon, with the kind's symbol to fall back on.
    SlotImage configuredImage(std::string description) const;

    Uuid id_;
    SlotType type_;
    std::string title_;
    SlotIcon slotIcon_;
};

class AppSlot final : public ConfiguredSlot {
public:
    explicit AppSlot(const SlotConfig& config);
    std::string title() const override;
    SlotImage icon() const override;
    void execute(DialController* controller) override;
    static SlotImage imageFor(const std::string& bundleId);
    // The stored title, or, when the identifier table gives the identifier
    // a role that no application here plays, the role's name ("Web
    // Browser"): the stock dial's "Safari" names nothing on this desktop.
    // A title the user gave ("Internet") is never replaced.
    static std::string titleFor(const std::string& bundleId, const std::string& stored);

private:
    static void open(const std::string& bundleId, const std::string& title, bool fromDial);

    std::string bundleId_;
    mutable std::optional<std::string> shownTitle_;
    // Looked up once per slot object: the dial redraws often, and a level is
    // rebuilt (with new slots) every time it is shown.
    mutable std::optional<SlotImage> image_;
};

class ActionSlot final : public ConfiguredSlot {
public:
    explicit ActionSlot(const SlotConfig& config);
    SlotImage icon() const override;
    void execute(DialController* controller) override;

private:
    SystemAction action_;
};

class KeystrokeSlot final : public ConfiguredSlot {
public:
    explicit KeystrokeSlot(const SlotConfig& config);
    void execute(DialController* controller) override;

private:
    std::vector<MacroStep> steps_;
};

class ScriptSlot final : public ConfiguredSlot {
public:
    explicit ScriptSlot(const SlotConfig& config);
    void execute(DialController* controller) override;

private:
    ScriptInvocation invocation_;
};

class SnippetSlot final : public ConfiguredSlot {
public:
    explicit SnippetSlot(const SlotConfig& config);
    void execute(DialController* controller) override;

private:
    std::string body_;
};

// Registers with the dynamic title cache when made, unregisters when destroyed.
class DynamicSlot final : public ConfiguredSlot {
public:
    explicit DynamicSlot(const SlotConfig& config);
    ~DynamicSlot() override;
    std::string title() const override;  // the produced label, else the configured title
    void execute(DialController* controller) override;

private:
    SlotScope scope_;
    DynamicSlotConfig config_;
};

// Runs one child per use, in turn; shows the child that runs next.
class CyclingSlot final : public ConfiguredSlot {
public:
    explicit CyclingSlot(const SlotConfig& config);
    std::string title() const override;
    SlotImage icon() const override;
    void execute(DialController* controller) override;

private:
    const SlotConfig* currentChild() const;
    SlotScope scope_;
    std::vector<SlotConfig> children_;
    // The current child's picture, worked out once per child index.
    mutable std::optional<std::pair<std::int64_t, SlotImage>> childImage_;
};

// Opens a sub-dial listing the saved profiles.
class ProfileSwitchSlot final : public ConfiguredSlot {
public:
    explicit ProfileSwitchSlot(const SlotConfig& config);
    void execute(DialController* controller) override;
};

class ProfileTargetSlot final : public ConfiguredSlot {
public:
    explicit ProfileTargetSlot(const SlotConfig& config);
    void execute(DialController* controller) override;

private:
    std::string target_;
};

class GroupSlot final : public ConfiguredSlot {
public:
    explicit GroupSlot(const SlotConfig& config);
    SlotImage icon() const override;
    void execute(DialController* controller) override;

private:
    MenuGroup group_;
};

// Switches the dial between its standard and music modes.
class ModeSwitchSlot final : public ConfiguredSlot {
public:
    explicit ModeSwitchSlot(const SlotConfig& config);
    // The target's symbol when automatic; a configured icon that cannot be
    // drawn falls back to a plain circle.
    SlotImage icon() const override;
    void execute(DialController* controller) override;

private:
    DialMode target_;
};

}  // namespace orbel
