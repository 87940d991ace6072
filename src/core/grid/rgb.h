#pragma once

namespace halvana {

// A cell colour as the grids use it; kept free of QtGui so the core stays on QtCore.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    constexpr bool operator==(const Rgb& other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
    constexpr bool operator!=(const Rgb& other) const { return !(*this == other); }
};

// Status colours shared by every view: "OK", warning "Active", alarm "Active".
inline constexpr Rgb kStatusGreen{0, 255, 0};
inline constexpr Rgb kStatusYellow{255, 255, 0};
inline constexpr Rgb kStatusRed{255, 0, 0};

} // namespace halvana
