#pragma once

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "installation/installation_transaction.h"
#include "support/task.h"

namespace tarnwick::ApplicationInstallationFlow {

// The other installed copies that were quit to make room; a failed installation opens them again.
class Recovery {
public:
    void record(const std::filesystem::path& url) {
        if (std::find(stopped.begin(), stopped.end(), url) == stopped.end()) stopped.push_back(url);
    }
    std::vector<std::filesystem::path> stopped;
};

using Verify = std::function<void(const std::filesystem::path&)>;
using Stop = std::function<Task<void>(Recovery&)>;
template <typename T>
using Open = std::function<Task<T>(std::filesystem::path)>;

// Opens the copies that were quit again, in the order they were quit; a copy that fails
// verification or cannot be opened is passed over.
template <typename T>
Task<void> relaunchStopped(std::vector<std::filesystem::path> stopped, Verify verify, Open<T> open) {
    for (const auto& url : stopped) {
        try {
            verify(url);
        } catch (...) {
            continue;
        }
        try {
            auto opening = open(url);
            co_await std::move(opening);
        } catch (...) {}
    }
}

// Installs with the transaction, quitting other copies (`stop`) just before the destination is
// replaced, then opens the installed copy. When opening fails the installation is rolled back;
// after any failure the quit copies are opened again. Returns what `open` returned.
template <typename T>
Task<T> install(ApplicationInstallationTransaction& transaction, std::filesystem::path source,
                std::filesystem::path destination, Verify verify, Stop stop, Open<T> open) {
    Recovery recovery;
    std::exception_ptr failure;
    std::optional<ApplicationInstallationTransaction::Receipt> receipt;
    // Callables are named before awaiting: temporaries inside a co_await expression are fragile.
    ApplicationInstallationTransaction::BeforePromotion beforePromotion = [&stop, &recovery]() {
        return stop(recovery);
    };
    try {
        auto installing = transaction.install(source, destination, beforePromotion, verify);
        receipt.emplace(co_await std::move(installing));
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        auto relaunching = relaunchStopped<T>(recovery.stopped, verify, open);
        co_await std::move(relaunching);
        std::rethrow_exception(failure);
    }

    std::optional<T> opened;
    try {
        auto opening = open(destination);
        opened.emplace(co_await std::move(opening));
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        try {
            receipt->rollback();
        } catch (...) {
            failure = std::current_exception();
        }
        auto relaunching = relaunchStopped<T>(recovery.stopped, verify, open);
        co_await std::move(relaunching);
        std::rethrow_exception(failure);
    }

    // A copy left behind by a failed finish stays in the workspace; the installation stands.
    try {
        receipt->finish();
    } catch (...) {}
    co_return std::move(*opened);
}

}  // namespace tarnwick::ApplicationInstallationFlow
