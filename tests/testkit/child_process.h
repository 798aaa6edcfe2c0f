#pragma once

// A test's body run in a forked child process, where it may be another user or see mounts of its
// own without changing anything of the test's process or of the machine. Expectations failed in
// a child reach no test, so the body returns what it found as text, and the test compares that.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::testkit {

// What a child answered: the body's text, or why the child could not be set up as asked.
struct ChildOutcome {
    std::string answer;
    std::string skipped;  // empty when the body ran
};

// Thrown by a body that finds it cannot do its work here (a program nobody else may run): the
// test is skipped with this message instead of failing.
class ChildSkip : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Nobody's user and group ids, on every Linux machine.
inline constexpr uid_t kUnprivilegedId = 65534;

// Runs `body` in a child as a user without root's rights. As root, the child gives the folders
// (the test's own, each with everything in it) to nobody, drops its groups and takes nobody's ids;
// not as root, the test's user has no such rights already and the child stays it. Skipped where
// the ids cannot be taken or a folder stays out of that user's reach.
ChildOutcome asUnprivilegedUser(const std::vector<std::filesystem::path>& folders,
                                const std::function<std::string()>& body);

// Runs `body` in a child in a mount namespace of its own (and a user namespace where the test is
// not root), with every mount in it made private first: what the body mounts no other process
// sees, and it goes with the child. Skipped where the system allows no such namespace.
ChildOutcome withMountsOfItsOwn(const std::function<std::string()>& body);

// Mounts an empty read-only disk (a tmpfs) at `folder`, for a body of withMountsOfItsOwn only.
// Throws ChildSkip where it cannot.
void mountReadOnlyDisk(const std::filesystem::path& folder);

}  // namespace tarnwick::testkit
