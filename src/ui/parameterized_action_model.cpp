#include "ui/parameterized_action_model.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdint>

#include "model/text.h"

namespace orbel::parameterized_action {

std::string caption(SystemAction::Kind prototype) {
    const char* text = prototype == SystemAction::Kind::setVolume       ? "Volume"
                       : prototype == SystemAction::Kind::setBrightness ? "Brightness"
                                                                        : "Value";
    return QCoreApplication::translate("ParameterizedActionEditor", text).toStdString();
}

std::string percentText(double level) {
    double percent = text::roundHalfAwayFromZero(level * 100.0);
    // Levels are finite; anything else must still not overflow the cast.
    if (std::isnan(percent)) percent = 0.0;
    return std::to_string(static_cast<long long>(text::clamp(percent, -1e15, 1e15))) + "%";
}

}  // namespace orbel::parameterized_action
