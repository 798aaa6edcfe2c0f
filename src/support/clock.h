#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace tarnwick {

// Time as the system reads it: uptime (monotonic seconds since boot) for delays and deadlines,
// and wall-clock seconds since 1970 for timestamps.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double uptime() const = 0;
    virtual double now() const = 0;
    // Lets time pass while the caller is blocked in a platform call (an Accessibility message
    // that takes long, say). The real clock sleeps; the manual clock just moves forward.
    virtual void block(double seconds) = 0;
    virtual bool isManual() const { return false; }
};

class SystemClock final : public Clock {
public:
    double uptime() const override;
    double now() const override;
    void block(double seconds) override;
};

// Virtual time for tests. advance() moves time forward and runs whatever falls due on the run
// loop that drives it, in order; block() only moves time.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double uptime = 1000.0, double wallSince1970 = 1796200000.0);

    double uptime() const override;
    double now() const override;
    void block(double seconds) override;
    bool isManual() const override { return true; }

    void advance(double seconds);
    // Moves time without running anything.
    void set(double uptime);

    // The run loop installs itself here so advance() can run due items.
    void setDriver(std::function<void(double targetUptime)> driver);

private:
    mutable std::mutex mutex_;
    double uptime_;
    double wallOffset_;  // wall time minus uptime
    std::function<void(double)> driver_;
};

}  // namespace tarnwick
