#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/notifications.h"
#include "support/run_loop.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

// Delivers posted notifications to their observers on the run loop, one turn later, as the
// main operation queue would. An observer removed before delivery is not called. Notifications
// about one object (a window) that nobody observes leave no record.
class SimNotificationCenter final : public platform::NotificationCenter {
public:
    explicit SimNotificationCenter(RunLoop& loop);
    ~SimNotificationCenter() override;

    Subscription addObserver(const std::string& name, std::function<void(const platform::Notification&)> observer) override;
    Subscription addObserver(const std::string& name, const void* object,
                             std::function<void(const platform::Notification&)> observer) override;
    void post(platform::Notification notification) override;

    void post(const std::string& name, Dictionary userInfo = {});
    size_t observerCount(const std::string& name) const;
    // The notifications posted lately, oldest first.
    const RecentLog<platform::Notification>& posted() const { return posted_; }

private:
    struct Observer {
        std::string name;
        const void* object;  // nothing: every object
        std::function<void(const platform::Notification&)> callback;
        bool active = true;
        bool hears(const platform::Notification& n) const { return name == n.name && (!object || object == n.object); }
    };
    RunLoop& loop_;
    std::shared_ptr<std::vector<std::shared_ptr<Observer>>> observers_;
    RecentLog<platform::Notification> posted_;
};

}  // namespace tarnwick::sim
