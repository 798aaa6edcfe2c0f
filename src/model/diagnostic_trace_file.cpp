#include "model/diagnostic_trace_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "support/error.h"
#include "support/files.h"

namespace tarnwick::trace_file {

namespace fs = std::filesystem;

namespace {

SystemError readError(const fs::path& file) {
    return file_error::make(errno == ENOENT ? file_error::kFileNoSuchFile : file_error::kFileReadUnknown,
                            file.filename().string());
}

// Closes the descriptor however the read ends; a close error changes nothing for a reader.
class ReadDescriptor {
public:
    explicit ReadDescriptor(const fs::path& file) : fd_(files::openRegular(file, O_RDONLY)) {
        if (fd_ < 0) throw readError(file);
    }
    ~ReadDescriptor() { ::close(fd_); }
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

void truncate(const fs::path& file) {
    files::createDirectories(file.parent_path());
    files::writeAtomically(file, {});
}

std::string wholeLineTail(const fs::path& file, std::uint64_t limit, std::uint64_t size) {
    if (limit < 1) return {};
    const std::uint64_t count = std::min(size, limit);
    ReadDescriptor descriptor(file);
    std::string tail(count, '\0');
    std::size_t filled = 0;
    const auto start = static_cast<off_t>(size - count);
    while (filled < tail.size()) {
        const ssize_t n = ::pread(descriptor.get(), tail.data() + filled, tail.size() - filled,
                                  start + static_cast<off_t>(filled));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw readError(file);
        }
        if (n == 0) break;  // the file shrank meanwhile
        filled += static_cast<std::size_t>(n);
    }
    tail.resize(filled);
    if (count < size) {
        const auto lineFeed = tail.find('\n');
        if (lineFeed == std::string::npos) return {};
        tail.erase(0, lineFeed + 1);
    }
    return tail;
}

void appendBounded(const fs::path& file, std::string_view line, std::uint64_t maximumBytes,
                   std::uint64_t retainedBytes) {
    files::createDirectories(file.parent_path());
    // Nothing to cut for a new file, nor for one that is no regular file: the append refuses that.
    const auto size = files::size(file);
    const std::uint64_t room = maximumBytes - line.size();
    if (size && *size > room) files::writeAtomically(file, wholeLineTail(file, std::min(room, retainedBytes), *size));
    files::append(file, line);
}

}  // namespace tarnwick::trace_file
