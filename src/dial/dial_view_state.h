#pragma once

// What one drawing of the dial shows: plain values the views paint from,
// filled from the dial controller's published state.

#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "model/appearance_config.h"
#include "model/dial_palette.h"

namespace orbel::dial {

// One wedge. A volume wedge shows a level instead of an icon.
struct WedgeItem {
    std::string title;
    QImage icon;  // null: the placeholder symbol
    bool isVolume = false;
    double level = 0;  // volume wedges
    bool isMuted = false;
};

enum class CenterKind { AppLogo, Back, AlbumArt };

struct CenterState {
    CenterKind kind = CenterKind::AppLogo;
    QImage artwork;  // album art; null when unknown
    std::string title;
    std::string artist;
    bool isPlaying = false;
    double discAngle = 0;  // album art: how far the music disc has turned, degrees
};

struct DialViewState {
    double menuRadius = 200.0;
    // The ring's inner radius when it is not the dial's own share of the
    // radius (the settings window's editor draws a thicker ring).
    std::optional<double> innerRadius;
    AppearanceConfig appearance;
    DialPalette palette;
    std::vector<WedgeItem> wedges;
    int highlightedIndex = -1;  // outside 0..n-1: none
    CenterState centre;
    std::optional<double> draggedVolume;
    bool isVolumeDragging = false;

    bool isHighlighted(int index) const { return index == highlightedIndex; }
};

}  // namespace orbel::dial
