#include "app/settings_work_coalescer.h"

#include <utility>

namespace tarnwick {

SettingsWorkCoalescer::SettingsWorkCoalescer()
    : SettingsWorkCoalescer([](double delay, RunLoop::Job job) { return RunLoop::main().postAfter(delay, std::move(job)); }) {}

SettingsWorkCoalescer::SettingsWorkCoalescer(Schedule schedule) : schedule_(std::move(schedule)) {}

SettingsWorkCoalescer::~SettingsWorkCoalescer() {
    if (scheduled_) scheduled_->cancel();
}

void SettingsWorkCoalescer::submit(Work work) {
    pending_ = std::move(work);
    if (scheduled_) return;
    scheduled_ = schedule_(kDelay, [this, alive = lifetime_.weak()] {
        if (alive) flush();
    });
}

void SettingsWorkCoalescer::flush() {
    Work work = std::exchange(pending_, nullptr);
    if (auto item = std::exchange(scheduled_, std::nullopt)) item->cancel();
    if (work) work();
}

void SettingsWorkCoalescer::cancel() {
    if (auto item = std::exchange(scheduled_, std::nullopt)) item->cancel();
    pending_ = nullptr;
}

}  // namespace tarnwick
