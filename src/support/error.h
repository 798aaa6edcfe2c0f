#pragma once

#include <stdexcept>
#include <string>

namespace tarnwick {

// Base of every error the system throws: what() is the complete user-facing sentence
// (the platform's "localized description").
class Error : public std::runtime_error {
public:
    explicit Error(std::string message) : std::runtime_error(std::move(message)) {}
    std::string message() const { return what(); }
};

// An error raised by the platform or the file system, with a domain and a code as the system
// reports them, a fixed description, and the errno of the system call that failed beneath it
// (0 when none did or none was kept), so that the cause can be told without guessing.
class SystemError : public Error {
public:
    SystemError(std::string domain, long code, std::string description, int underlyingErrno = 0)
        : Error(std::move(description)), domain_(std::move(domain)), code_(code), underlyingErrno_(underlyingErrno) {}
    const std::string& domain() const { return domain_; }
    long code() const { return code_; }
    int underlyingErrno() const { return underlyingErrno_; }

private:
    std::string domain_;
    long code_;
    int underlyingErrno_;
};

// File-system error codes in the platform's file error domain.
namespace file_error {
inline constexpr const char* kDomain = "NSCocoaErrorDomain";
inline constexpr long kFileNoSuchFile = 4;
inline constexpr long kFileReadUnknown = 256;
inline constexpr long kFileReadCorruptFile = 259;
inline constexpr long kFileWriteUnknown = 512;
inline constexpr long kFileWriteOutOfSpace = 640;

SystemError make(long code, const std::string& fileName = {}, int underlyingErrno = 0);
}  // namespace file_error

// Thrown into a task that was cancelled while it waited.
class CancellationError : public Error {
public:
    CancellationError() : Error("The operation was cancelled.") {}
};

}  // namespace tarnwick
