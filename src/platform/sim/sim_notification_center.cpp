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
    return addObserver(name, nullptr, std::move(callback));
}

Subscription SimNotificationCenter::addObserver(const std::string& name, const void* object,
                                                std::function<void(const platform::Notification&)> callback) {
    auto observer = std::make_shared<Observer>(Observer{name, object, std::move(callback), true});
    observers_->push_back(observer);
    std::weak_ptr<std::vector<std::shared_ptr<Observer>>> weakList = observers_;
    return Subscription([weakList, observer] {
        observer->active = false;
        if (auto list = weakList.lock()) std::erase(*list, observer);
    });
}

void SimNotificationCenter::post(const std::string& name, Dictionary userInfo) {
    post(platform::Notification{name, std::move(userInfo), nullptr});
}

void SimNotificationCenter::post(platform::Notification notification) {
    bool heard = false;
    for (const auto& observer : *observers_) {
        if (!observer->hears(notification)) continue;
        heard = true;
        loop_.post([observer, notification] {
            if (observer->active) observer->callback(notification);
        });
    }
    // Windows post on every move and ordering; only what someone listens to is kept.
    if (heard || !notification.object) posted_.push_back(std::move(notification));
}

size_t SimNotificationCenter::observerCount(const std::string& name) const {
    return static_cast<size_t>(std::count_if(observers_->begin(), observers_->end(),
                                             [&](const auto& o) { return o->name == name && o->active; }));
}

}  // namespace tarnwick::sim
