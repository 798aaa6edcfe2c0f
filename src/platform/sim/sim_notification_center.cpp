#include "platform/sim/sim_notification_center.h"

#include <algorithm>

namespace tarnwick::sim {

SimNotificationCenter::SimNotificationCenter(RunLoop& loop)
    : loop_(loop), observers_(std::make_shared<std::vector<std::shared_ptr<Observer>>>()) {}

SimNotificationCenter::~SimNotificationCenter() {
    for (auto& observer : *observers_) observer->active = false;
}

Subscription SimNotificationCenter::addObserver(const std::string& name,
                                                std::function<void(const platform::Notification&)> callback) {
    auto observer = std::make_shared<Observer>(Observer{name, std::move(callback), true});
    observers_->push_back(observer);
    std::weak_ptr<std::vector<std::shared_ptr<Observer>>> weakList = observers_;
    return Subscription([weakList, observer] {
        observer->active = false;
        if (auto list = weakList.lock()) std::erase(*list, observer);
    });
}

void SimNotificationCenter::post(const std::string& name, Dictionary userInfo) {
    platform::Notification notification{name, std::move(userInfo)};
    posted_.push_back(notification);
    for (const auto& observer : *observers_) {
        if (observer->name != name) continue;
        loop_.post([observer, notification] {
            if (observer->active) observer->callback(notification);
        });
    }
}

size_t SimNotificationCenter::observerCount(const std::string& name) const {
    return static_cast<size_t>(std::count_if(observers_->begin(), observers_->end(),
                                             [&](const auto& o) { return o->name == name && o->active; }));
}

}  // namespace tarnwick::sim
