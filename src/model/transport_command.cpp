#include "model/transport_command.h"

#include "model/raw_enum.h"

namespace orbel {

namespace {

constexpr raw_enum::Table<TransportCommand, 3> kTransportCommands{{
    {TransportCommand::toggle, "toggle"},
    {TransportCommand::next, "next"},
    {TransportCommand::prev, "prev"},
}};

}  // namespace

std::string_view rawValue(TransportCommand command) { return raw_enum::rawValue(kTransportCommands, command); }

std::optional<TransportCommand> transportCommandFromRaw(std::string_view raw) {
    return raw_enum::fromRaw(kTransportCommands, raw);
}

TransportCommand transportCommandFromJson(const json::Node& node) {
    return raw_enum::fromJson(kTransportCommands, node, "TransportCommand");
}

json::Json toJson(TransportCommand command) { return raw_enum::toJson(kTransportCommands, command); }

}  // namespace orbel
