#pragma once

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The system symbols: one picture per symbol name the program draws
// ("folder", "speaker.wave.2.fill", ...), drawn in one colour at any size.
// A name with no picture draws the question-mark picture: never nothing.
class Symbols : public Shared<Symbols> {
public:
    virtual ~Symbols() = default;

    virtual bool has(const std::string& name) const = 0;
    // The picture in a `size` x `size` square (logical pixels) at the
    // device pixel ratio `dpr`, every mark in `color`.
    virtual QImage image(const std::string& name, double size, const QColor& color, double dpr = 1.0) const = 0;
    // Every name with a picture.
    virtual std::vector<std::string> names() const = 0;

private:
    friend Shared<Symbols>;
    static Symbols& makeShared();
};

}  // namespace orbel::platform
