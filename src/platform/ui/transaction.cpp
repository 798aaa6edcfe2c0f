#include "platform/ui/transaction.h"

#include "support/run_loop.h"

namespace tarnwick::platform::ui {

namespace {
thread_local Transaction* gInnermost = nullptr;
}

void AnimationGroup::animationEnded() {
    if (outstanding_ > 0) --outstanding_;
    finishIfDone();
}

void AnimationGroup::commit() {
    committed_ = true;
    finishIfDone();
}

void AnimationGroup::finishIfDone() {
    if (!committed_ || outstanding_ > 0 || finished_) return;
    finished_ = true;
    if (completion_) RunLoop::main().post(std::move(completion_));
}

Transaction::Transaction() : group_(std::make_shared<AnimationGroup>()), outer_(gInnermost) { gInnermost = this; }

Transaction::~Transaction() { commit(); }

void Transaction::commit() {
    if (committed_) return;
    committed_ = true;
    // Transactions close innermost first; one committed early is unlinked from the open chain.
    if (gInnermost == this) {
        gInnermost = outer_;
    } else {
        for (auto* t = gInnermost; t; t = t->outer_)
            if (t->outer_ == this) {
                t->outer_ = outer_;
                break;
            }
    }
    group_->commit();
}

Transaction* Transaction::current() { return gInnermost; }

bool Transaction::actionsDisabled() {
    for (auto* t = gInnermost; t; t = t->outer_)
        if (t->disableActions_) return true;
    return false;
}

}  // namespace tarnwick::platform::ui
