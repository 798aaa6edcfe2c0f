#pragma once

#include <functional>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/font.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

enum class BezelStyle { rounded, regularSquare, recessed, inline_ };

// A push button: a title in a bezel that sends its action when the user clicks it (the press
// and the release inside it) or it is clicked for them. Make it with std::make_shared.
class Button : public View {
public:
    using View::View;

    std::string title;
    BezelStyle bezelStyle = BezelStyle::rounded;
    Font font = Font::system(13);
    bool isEnabled = true;
    // The target's action; nothing: the button does nothing.
    std::function<void()> action;
    std::optional<std::string> accessibilityValue;
    std::optional<std::string> accessibilityHelp;

    void mouseDown(const MouseEvent& event) override;
    void mouseUp(const MouseEvent& event) override;
    // Sends the action when the button is enabled.
    void performClick();

protected:
    void collectShownText(std::vector<std::string>& texts) const override;

private:
    bool pressed_ = false;
};

}  // namespace tarnwick::platform::ui
