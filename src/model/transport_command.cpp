#include "model/transport_command.h"

#include <string>

namespace orbel {

std::string_view rawValue(TransportCommand command) {
    switch (command) {
        case TransportCommand::toggle: return "toggle";
        case TransportCommand::next: return "next";
        case TransportCommand::prev: return "prev";
    }
    return "toggle";
}

std::optional<TransportCommand> transportCommandFromRaw(std::string_view raw) {
    for (auto command : {TransportCommand::toggle, TransportCommand::next, TransportCommand::prev}) {
        if (rawValue(command) == raw) return command;
    }
    return std::nullopt;
}

TransportCommand transportCommandFromJson(const json::Node& node) {
    const std::string raw = node.asString();
    if (auto command = transportCommandFromRaw(raw)) return *command;
    node.fail("Cannot initialize TransportCommand from invalid String value " + raw);
}

json::Json toJson(TransportCommand command) { return std::string(rawValue(command)); }

}  // namespace orbel
