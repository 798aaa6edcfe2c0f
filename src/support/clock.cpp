#include "support/clock.h"

#include <chrono>
#include <cmath>
#include <thread>
#include <time.h>

namespace tarnwick {

double SystemClock::uptime() const {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double SystemClock::now() const {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

void SystemClock::block(double seconds) {
    if (seconds > 0 && std::isfinite(seconds)) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

ManualClock::ManualClock(double uptime, double wallSince1970) : uptime_(uptime), wallOffset_(wallSince1970 - uptime) {}

double ManualClock::uptime() const {
    std::lock_guard lock(mutex_);
    return uptime_;
}

double ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return uptime_ + wallOffset_;
}

void ManualClock::block(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return;
    std::lock_guard lock(mutex_);
    uptime_ += seconds;
}

void ManualClock::set(double uptime) {
    std::lock_guard lock(mutex_);
    if (uptime > uptime_) uptime_ = uptime;
}

void ManualClock::setDriver(std::function<void(double)> driver) {
    std::lock_guard lock(mutex_);
    driver_ = std::move(driver);
}

void ManualClock::advance(double seconds) {
    std::function<void(double)> driver;
    double target;
    {
        std::lock_guard lock(mutex_);
        target = uptime_ + (seconds > 0 ? seconds : 0);
        driver = driver_;
    }
    if (driver)
        driver(target);
    else
        set(target);
}

}  // namespace tarnwick
