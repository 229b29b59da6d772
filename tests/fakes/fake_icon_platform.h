#pragma once

// Stand-ins for the bundle, the font registry and the symbol set, for tests
// of the icon catalogue against fixture resource trees.

#include <QColor>
#include <QImage>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/bundle.h"
#include "platform/fonts.h"
#include "platform/symbols.h"

namespace orbel::fakes {

// Resources in a folder the test chose; none when `dir` is empty.
class FakeBundle : public platform::Bundle {
public:
    explicit FakeBundle(std::optional<std::string> dir = std::nullopt) : dir(std::move(dir)) {}
    std::optional<std::string> resourceDir() const override { return dir; }
    std::optional<std::string> dir;
};

// Records registrations; refuses when told to. A registered file serves the
// PostScript name "Phosphor-Regular" with the application's default family.
class FakeFonts : public platform::Fonts {
public:
    bool registerFontFile(const std::string& path) override {
        registered.push_back(path);
        if (refuse) return false;
        names.insert("Phosphor-Regular");
        return true;
    }
    std::optional<QFont> font(const std::string& name, double pointSize) const override {
        if (!names.count(name)) return std::nullopt;
        QFont font;
        font.setPointSizeF(pointSize);
        return font;
    }

    bool refuse = false;
    std::vector<std::string> registered;
    std::set<std::string> names;
};

// Knows the names it is given; draws each as a filled square of the colour.
class FakeSymbols : public platform::Symbols {
public:
    explicit FakeSymbols(std::set<std::string> known = {"questionmark", "questionmark.circle", "star.fill"})
        : known(std::move(known)) {}
    bool has(const std::string& name) const override { return known.count(name) > 0; }
    QImage image(const std::string& name, double size, const QColor& color, double dpr) const override {
        drawn.push_back(known.count(name) ? name : "questionmark");
        QImage image(QSize(int(size * dpr), int(size * dpr)), QImage::Format_ARGB32_Premultiplied);
        image.fill(color);
        image.setDevicePixelRatio(dpr);
        return image;
    }
    std::vector<std::string> names() const override { return {known.begin(), known.end()}; }

    std::set<std::string> known;
    mutable std::vector<std::string> drawn;
};

}  // namespace orbel::fakes
