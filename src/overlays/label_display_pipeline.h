#pragma once

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "support/task_group.h"

namespace tarnwick {

// Runs one operation per display, at most two at once, hands whatever an operation publishes to
// a hook as soon as it exists, and turns an operation's failure into a result of its own.
struct LabelDisplayPipeline {
    template <typename Result>
    using Publish = std::function<Task<void>(Result)>;
    template <typename Input, typename Result>
    using Operation = std::function<Task<Result>(Input, Publish<Result>)>;
    template <typename Input, typename Result>
    using Failure = std::function<Result(const Input&, const std::exception&)>;
    template <typename Result>
    using ResultHook = std::function<Task<void>(Result)>;

    // The results, one per input, in the order the operations finished. The hook sees only what
    // an operation publishes, never what it returns. An ordinary error becomes `onFailure`'s
    // result while the other inputs run on; cancellation of the caller, or an operation ending
    // by cancellation, makes run() throw CancellationError.
    template <typename Input, typename Result>
    static Task<std::vector<Result>> run(std::vector<Input> inputs, int maximumConcurrentDisplays,
                                         Operation<Input, Result> operation, Failure<Input, Result> onFailure,
                                         ResultHook<Result> onResult) {
        co_await checkCancellation();
        const int limit = std::clamp(maximumConcurrentDisplays, 1, 2);
        auto stages = std::make_shared<Stages<Input, Result>>(
            Stages<Input, Result>{std::move(operation), std::move(onFailure), std::move(onResult)});
        TaskGroup<Result> group(co_await currentTaskContext(), static_cast<std::size_t>(limit));
        for (auto& input : inputs) group.add(runOne<Input, Result>(stages, std::move(input)));
        std::vector<Result> results;
        for (;;) {
            std::optional<Result> result = co_await group.next();
            if (!result) break;
            co_await checkCancellation();
            results.push_back(std::move(*result));
        }
        co_return results;
    }

private:
    template <typename Input, typename Result>
    struct Stages {
        Operation<Input, Result> operation;
        Failure<Input, Result> onFailure;
        ResultHook<Result> onResult;
    };

    template <typename Input, typename Result>
    static Task<void> publish(std::shared_ptr<Stages<Input, Result>> stages, Result result) {
        co_await checkCancellation();
        if (stages->onResult) co_await stages->onResult(std::move(result));
        co_await checkCancellation();
    }

    template <typename Input, typename Result>
    static Task<Result> runOne(std::shared_ptr<Stages<Input, Result>> stages, Input input) {
        co_await checkCancellation();
        Publish<Result> publisher = [stages](Result result) { return publish<Input, Result>(stages, std::move(result)); };
        std::exception_ptr failure;
        bool cancelled = false;
        try {
            Result result = co_await stages->operation(input, std::move(publisher));
            co_await checkCancellation();
            co_return result;
        } catch (const CancellationError&) {
            cancelled = true;
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
        if (cancelled) throw CancellationError();
        co_await checkCancellation();
        co_return failed(*stages, input, failure);
    }

    template <typename Input, typename Result>
    static Result failed(const Stages<Input, Result>& stages, const Input& input, const std::exception_ptr& failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            return stages.onFailure(input, error);
        }
    }
};

}  // namespace tarnwick
