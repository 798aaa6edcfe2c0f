#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/key_event.h"
#include "platform/ui/font.h"
#include "platform/ui/layer.h"

namespace tarnwick::platform::ui {

// ---- placement

enum class Axis { horizontal, vertical };
enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom, firstTextBaseline };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;

    static constexpr Alignment center() { return {}; }
    static constexpr Alignment leading() { return {HorizontalAlignment::leading, VerticalAlignment::center}; }
    static constexpr Alignment topLeading() { return {HorizontalAlignment::leading, VerticalAlignment::top}; }
    friend bool operator==(const Alignment&, const Alignment&) = default;
};

// A point in a node's own box, as fractions of its width and height from its top leading corner.
struct UnitPoint {
    double x = 0.5;
    double y = 0.5;

    static constexpr UnitPoint center() { return {0.5, 0.5}; }
    static constexpr UnitPoint leading() { return {0, 0.5}; }
    static constexpr UnitPoint trailing() { return {1, 0.5}; }
    static constexpr UnitPoint top() { return {0.5, 0}; }
    static constexpr UnitPoint bottom() { return {0.5, 1}; }
    friend bool operator==(const UnitPoint&, const UnitPoint&) = default;
};

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;

    static constexpr EdgeInsets all(double v) { return {v, v, v, v}; }
    static constexpr EdgeInsets horizontal(double v) { return {0, v, 0, v}; }
    static constexpr EdgeInsets vertical(double v) { return {v, 0, v, 0}; }
    double width() const { return leading + trailing; }
    double height() const { return top + bottom; }
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// ---- text

// The system's text styles; their sizes are the platform's look.
enum class TextStyle { body, headline, subheadline, caption, title2, callout };

constexpr Font fontFor(TextStyle style) {
    switch (style) {
        case TextStyle::headline:
            return Font{13, font_weight::kBold, false, false};
        case TextStyle::subheadline:
            return Font{11, font_weight::kRegular, false, false};
        case TextStyle::caption:
            return Font{10, font_weight::kRegular, false, false};
        case TextStyle::title2:
            return Font{17, font_weight::kRegular, false, false};
        case TextStyle::callout:
            return Font{12, font_weight::kRegular, false, false};
        case TextStyle::body:
            break;
    }
    return Font{13, font_weight::kRegular, false, false};
}

// ---- motion

// How a change of the values a node watches is animated.
struct Animation {
    TimingFunction curve = TimingFunction::easeOut;
    double duration = 0.25;

    static constexpr Animation easeOut(double duration) { return {TimingFunction::easeOut, duration}; }
    friend bool operator==(const Animation&, const Animation&) = default;
};

// ---- keys

enum class KeyPhase : std::uint8_t { down = 1, repeat = 2, up = 4 };
using KeyPhases = std::uint8_t;
constexpr KeyPhases operator|(KeyPhase a, KeyPhase b) { return static_cast<KeyPhases>(static_cast<KeyPhases>(a) | static_cast<KeyPhases>(b)); }

// One key press as a key handler of the tree sees it.
struct KeyPress {
    KeyEvent event;
    KeyPhase phase = KeyPhase::down;

    std::uint16_t keyCode() const { return event.keyCode; }
    ModifierFlags modifiers() const { return event.modifierFlags; }
};

// Whether a key handler used the press; an ignored press goes on to the handlers further out.
enum class KeyPressResult { handled, ignored };

// ---- controls and containers

// How a button draws itself: without a bezel (plain, borderless), in a bezel, as a prominent
// glass capsule, or by a style of the app's own (see CustomButtonStyle).
enum class ButtonStyle { plain, bordered, borderless, glassProminent, custom };
// The size of the controls inside a node; it reaches every control inside.
enum class ControlSize { mini, small, regular, large };
enum class FormStyle { grouped };
enum class ImageInterpolation { none, low, medium, high };
// A picker as a pop-up menu, as segments side by side, or as its bare options (inside a menu).
enum class PickerStyle { menu, segmented, inline_ };
enum class ListStyle { automatic, sidebar };
enum class MenuStyle { automatic, borderlessButton };
enum class TextFieldStyle { automatic, roundedBorder };
// Which columns of a split view show.
enum class ColumnVisibility { all, detailOnly };
enum class SplitViewStyle { automatic, balanced };

// A key equivalent of a button: the key's character (lower case) with modifier flags.
struct KeyboardShortcut {
    std::string key;
    ModifierFlags modifiers = modifier_flags::kCommand;
    friend bool operator==(const KeyboardShortcut&, const KeyboardShortcut&) = default;
};

}  // namespace tarnwick::platform::ui
