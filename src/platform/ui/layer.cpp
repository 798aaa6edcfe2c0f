#include "platform/ui/layer.h"

#include <algorithm>

#include "platform/ui/transaction.h"

namespace tarnwick::platform::ui {

Layer::~Layer() {
    for (auto& entry : animations_) {
        entry.end.cancel();
        if (entry.group) entry.group->animationEnded();
    }
}

void Layer::addAnimation(const BasicAnimation& animation, const std::string& key) {
    removeAnimation(key);
    Entry entry;
    entry.running = RunningAnimation{key, animation, RunLoop::main().uptime()};
    entry.serial = nextSerial_++;
    if (auto* transaction = Transaction::current()) {
        entry.group = transaction->group();
        entry.group->animationStarted();
    }
    std::weak_ptr<Layer> weak = weak_from_this();
    const auto serial = entry.serial;
    entry.end = RunLoop::main().postAfter(std::max(animation.duration, 0.0), [weak, serial] {
        if (auto layer = weak.lock()) layer->ranOut(serial);
    });
    animations_.push_back(std::move(entry));
}

void Layer::end(std::vector<Entry>::iterator entry) {
    entry->end.cancel();
    auto group = std::move(entry->group);
    animations_.erase(entry);
    if (group) group->animationEnded();
}

void Layer::ranOut(std::uint64_t serial) {
    auto it = std::find_if(animations_.begin(), animations_.end(), [&](const Entry& e) { return e.serial == serial; });
    if (it != animations_.end()) end(it);
}

void Layer::removeAnimation(const std::string& key) {
    auto it = std::find_if(animations_.begin(), animations_.end(), [&](const Entry& e) { return e.running.key == key; });
    if (it != animations_.end()) end(it);
}

void Layer::removeAllAnimations() {
    while (!animations_.empty()) end(animations_.begin());
}

std::vector<RunningAnimation> Layer::animations() const {
    std::vector<RunningAnimation> result;
    for (const auto& entry : animations_) result.push_back(entry.running);
    return result;
}

const RunningAnimation* Layer::animation(const std::string& key) const {
    for (const auto& entry : animations_)
        if (entry.running.key == key) return &entry.running;
    return nullptr;
}

}  // namespace tarnwick::platform::ui
