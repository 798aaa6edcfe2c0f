#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/color.h"
#include "support/geometry.h"
#include "support/run_loop.h"

namespace tarnwick::platform::ui {

class AnimationGroup;

enum class CornerCurve { circular, continuous };
enum class TimingFunction { linear, easeIn, easeOut, easeInEaseOut };

// An animation of one numeric key path of a layer ("position.x", "opacity", ...).
struct BasicAnimation {
    std::string keyPath;
    double fromValue = 0;
    double toValue = 0;
    double duration = 0.25;  // seconds
    TimingFunction timingFunction = TimingFunction::linear;
};

// An animation in flight on a layer, as a test reads it.
struct RunningAnimation {
    std::string key;
    BasicAnimation animation;
    double beginTime = 0;  // system uptime
};

// A layer of a layer-backed view, or one made on its own (a mask). Its animations run on the
// main loop's clock: one ends `duration` after it was added (a 0 s animation on the next turn),
// when another is added under its key, or when it is removed; then it leaves the layer and its
// transaction's completion may run. Main loop only.
class Layer : public std::enable_shared_from_this<Layer> {
public:
    Layer() = default;
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    double cornerRadius = 0;
    CornerCurve cornerCurve = CornerCurve::circular;
    bool masksToBounds = false;
    Point anchorPoint{0.5, 0.5};
    Rect bounds;
    Point position;

    const std::shared_ptr<Layer>& mask() const { return mask_; }
    void setMask(std::shared_ptr<Layer> mask) { mask_ = std::move(mask); }

    // Adds the animation under the key, ending any animation that held the key.
    void addAnimation(const BasicAnimation& animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    // The animations in flight, oldest first.
    std::vector<RunningAnimation> animations() const;
    const RunningAnimation* animation(const std::string& key) const;

private:
    struct Entry {
        RunningAnimation running;
        std::uint64_t serial = 0;
        WorkItem end;
        std::shared_ptr<AnimationGroup> group;
    };
    void end(std::vector<Entry>::iterator entry);
    void ranOut(std::uint64_t serial);

    std::shared_ptr<Layer> mask_;
    std::vector<Entry> animations_;
    std::uint64_t nextSerial_ = 1;
};

// A layer that fills its bounds with a linear gradient of colours (a reveal mask, say).
class GradientLayer final : public Layer {
public:
    Point startPoint{0.5, 0};
    Point endPoint{0.5, 1};
    std::vector<Color> colors;
    std::vector<double> locations;
};

}  // namespace tarnwick::platform::ui
