#pragma once

#include <functional>
#include <memory>

namespace tarnwick::platform::ui {

// The animations added while one transaction was open, and the completion that runs (on a later
// turn of the main loop) once the transaction is committed and every one of them has ended,
// whether it ran out, was replaced or was removed.
class AnimationGroup {
public:
    explicit AnimationGroup(std::function<void()> completion = nullptr) : completion_(std::move(completion)) {}
    void setCompletion(std::function<void()> completion) { completion_ = std::move(completion); }
    void animationStarted() { ++outstanding_; }
    void animationEnded();
    void commit();

private:
    void finishIfDone();
    std::function<void()> completion_;
    int outstanding_ = 0;
    bool committed_ = false;
    bool finished_ = false;
};

// A transaction of layer changes, open for the object's scope (main loop only). Transactions
// nest; animations added while one is open belong to the innermost. This model has no implicit
// animations, so disabling actions only records the caller's wish.
class Transaction {
public:
    Transaction();
    ~Transaction();  // commits when commit() was not called
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void setDisableActions(bool disable) { disableActions_ = disable; }
    bool disablesActions() const { return disableActions_; }
    void setCompletion(std::function<void()> completion) { group_->setCompletion(std::move(completion)); }
    void commit();

    // The innermost open transaction, or nothing.
    static Transaction* current();
    // Whether any open transaction disables implicit actions.
    static bool actionsDisabled();
    const std::shared_ptr<AnimationGroup>& group() const { return group_; }

private:
    std::shared_ptr<AnimationGroup> group_;
    Transaction* outer_;
    bool disableActions_ = false;
    bool committed_ = false;
};

}  // namespace tarnwick::platform::ui
