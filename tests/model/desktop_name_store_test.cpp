#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "model/desktop_catalog_unavailable.h"
#include "model/desktop_name_store.h"
#include "support/error.h"
#include "support/files.h"
#include "testkit/allocation_count.h"
#include "testkit/child_process.h"
#include "testkit/temp_folder.h"
#include "testkit/write_outcome.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr const char* kA = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";
constexpr const char* kB = "11111111-2222-4333-8444-555555555555";
constexpr const char* kCorrupt = "The data couldn\u2019t be read because it isn\u2019t in the correct format.";

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A Unix socket bound at the path; the socket itself is closed, its entry stays.
void bindSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.native().size(), sizeof address.sun_path);
    std::copy(path.native().begin(), path.native().end(), address.sun_path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

class DesktopNameStoreTest : public ::testing::Test {
protected:
    fs::path file() const { return home / "Application Support" / "Tarnwick" / "names.json"; }
    void writeFile(const std::string& bytes) {
        fs::create_directories(file().parent_path());
        std::ofstream(file(), std::ios::binary) << bytes;
    }
    std::string fileContent() const {
        std::ifstream in(file(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // The message of whatever set() throws.
    static std::string failureOf(DesktopNameStore& store, const std::string& name, const std::string& id) {
        try {
            store.set(name, id);
        } catch (const Error& error) {
            return error.what();
        }
        return "no error";
    }
    static std::string loadMessage(const DesktopNameStore& store) {
        if (!store.loadError()) return "no error";
        try {
            std::rethrow_exception(store.loadError());
        } catch (const Error& error) {
            return error.what();
        }
    }

    testkit::TempFolder home;
};

TEST_F(DesktopNameStoreTest, FirstNameCreatesTheFolderAndTheFile) {
    DesktopNameStore store(file());
    EXPECT_FALSE(store.loadError());
    EXPECT_TRUE(store.names().empty());

    store.set("  Work \n", lower(kA));
    EXPECT_EQ(fileContent(), std::string(R"({"names":{")") + kA + R"(":"Work"},"version":1})");
    EXPECT_EQ(store.names(), (DesktopNameStore::Names{{kA, "Work"}}));

    store.set(" \t ", kA);
    EXPECT_EQ(fileContent(), R"({"names":{},"version":1})");
    EXPECT_TRUE(store.names().empty());
}

TEST_F(DesktopNameStoreTest, SameNameAgainLeavesTheFileAlone) {
    DesktopNameStore store(file());
    store.set("Work", kA);
    const std::string handEdited = std::string("{ \"version\": 1, \"names\": { \"") + kA + "\": \"Work\" } }";
    writeFile(handEdited);
    store.set(" Work ", kA);
    store.set("", kB);  // removing a name that is not there
    EXPECT_EQ(fileContent(), handEdited);
}

TEST_F(DesktopNameStoreTest, LowerCaseKeyLoadsUpperCaseAndIsRewrittenOnTheNextChange) {
    const std::string original = std::string(R"({"version":1,"names":{")") + lower(kA) + R"(":"Home"}})";
    writeFile(original);
    DesktopNameStore store(file());
    EXPECT_EQ(store.names(), (DesktopNameStore::Names{{kA, "Home"}}));
    EXPECT_EQ(fileContent(), original);
    store.set("Mail", kB);
    EXPECT_EQ(fileContent(), std::string(R"({"names":{")") + kA + R"(":"Home",")" + kB + R"(":"Mail"},"version":1})");
}

TEST_F(DesktopNameStoreTest, BlankStoredNamesCountAsNoNameButStayInTheFile) {
    writeFile(std::string(R"({"version":1,"names":{")") + kA + R"(":"  ",")" + kB + R"(":" Mail "}})");
    DesktopNameStore store(file());
    EXPECT_FALSE(store.loadError());
    EXPECT_EQ(store.names(), (DesktopNameStore::Names{{kB, " Mail "}}));

    const std::string other = "99999999-2222-4333-8444-555555555555";
    store.set("Code", other);
    EXPECT_EQ(fileContent(), std::string(R"({"names":{")") + kA + R"(":"  ",")" + kB + R"(":" Mail ",")" + other +
                                 R"(":"Code"},"version":1})");
}

// Each file that fails to load is left as it is, refused with the error every save then answers
// with, and with its reason for the log. A key given twice is refused as a UUID spelled in two
// cases is: a save would keep one of the two names and drop the other.
TEST_F(DesktopNameStoreTest, FilesThatFailToLoadAreNeverOverwritten) {
    struct Case { std::string content; std::string message; std::string reason; };
    const std::string a = kA;
    const std::string ambiguous = "Saved desktop identities are ambiguous.";
    const std::string unreadable = "Saved desktop names could not be read.";
    const Case cases[] = {
        {R"({"version":2,"names":{}})", unreadable, "its version is 2, and Tarnwick reads only version 1"},
        {R"({"version":1,"names":{"Desktop 1":"Work"}})", unreadable,
         "its names have the key \u201CDesktop 1\u201D, which is not a desktop\u2019s UUID"},
        {R"({"version":1,"names":{")" + a + R"(":"Work",")" + lower(a) + R"(":"Mail"}})", ambiguous,
         "it names the desktop \u201C" + a + "\u201D twice, as \u201C" + a + "\u201D and \u201C" + lower(a) + "\u201D"},
        {R"({"version":1,"names":{")" + a + R"(":"Work",")" + a + R"(":"Mail"}})", ambiguous,
         "it names the desktop \u201C" + a + "\u201D twice"},
        {R"({"version":1,"names":{")" + a + R"(":"Work"},"names":{}})", kCorrupt,
         "it holds the key \u201Cnames\u201D twice"},
        {R"({"version":1,"names":{},"extra":[{"k":1,"k":1}]})", kCorrupt,
         "\u201Cextra[0]\u201D holds the key \u201Ck\u201D twice"},
        {R"({"version":1,"names":{)", kCorrupt, "it is not valid JSON"},
        {R"({"version":1})", kCorrupt, "it has no \u201Cnames\u201D"},
        {R"({"names":{}})", kCorrupt, "it has no \u201Cversion\u201D"},
        {R"({"version":"1","names":{}})", kCorrupt, "its \u201Cversion\u201D is not a whole number"},
        {R"({"version":1.5,"names":{}})", kCorrupt, "its \u201Cversion\u201D is not a whole number"},
        {R"({"version":true,"names":{}})", kCorrupt, "its \u201Cversion\u201D is not a whole number"},
        {R"({"version":1,"names":[]})", kCorrupt, "its \u201Cnames\u201D is not an object"},
        {R"({"version":1,"names":{")" + a + R"(":7}})", kCorrupt, "the name of \u201C" + a + "\u201D is not a string"},
        {R"([1])", kCorrupt, "it is not a JSON object"},
        {"{\"version\":1,\"names\":{\"" + a + "\":\"\xff\"}}", kCorrupt, "it is not valid JSON"},
        {"", kCorrupt, "it is empty"},
        // A NUL byte is no end of the file: what follows it is kept with the rest.
        {std::string(R"({"version":1,"names":{}})") + '\0' + R"({"version":1,"names":{")" + a + R"(":"Work"}})", kCorrupt,
         "it is not valid JSON"},
        {std::string(R"({"version":1,"names":{}})") + '\0', kCorrupt, "it is not valid JSON"},
        // Nesting far beyond any real file must be refused, not recursed into.
        {R"({"version":1,"names":{"x":)" + std::string(200000, '[') + std::string(200000, ']') + "}}", kCorrupt,
         "it nests arrays and objects more than 512 levels deep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 80));
        writeFile(c.content);
        DesktopNameStore store(file());
        EXPECT_EQ(loadMessage(store), c.message);
        EXPECT_EQ(store.loadReason(), c.reason);
        EXPECT_TRUE(store.names().empty());
        EXPECT_EQ(failureOf(store, "New", kB), c.message);
        EXPECT_EQ(fileContent(), c.content);
    }
    writeFile(R"({"version":1,"names":{}})");
    EXPECT_EQ(DesktopNameStore(file()).loadReason(), "");
}

// A file nested a million levels deep is refused for what reading its first piece costs, neither
// read whole nor built, and kept as it is.
TEST_F(DesktopNameStoreTest, ADeeplyNestedFileIsRefusedForTheCostOfReadingItsStart) {
    const std::string content = R"({"version":1,"names":)" + std::string(1'000'000, '[') + std::string(1'000'000, ']') + "}";
    writeFile(content);
    const std::size_t before = testkit::bytesAllocatedOnThisThread();
    DesktopNameStore store(file());
    EXPECT_LT(testkit::bytesAllocatedOnThisThread() - before, 256u * 1024u);
    EXPECT_EQ(loadMessage(store), kCorrupt);
    EXPECT_EQ(store.loadReason(), "it nests arrays and objects more than 512 levels deep");
    EXPECT_EQ(failureOf(store, "Work", kA), kCorrupt);
    EXPECT_EQ(fileContent(), content);
}

// What is no file at the path is unreadable and never opened (a FIFO is never waited for); the
// load's reason and a save say what is there in the writer's words, and leave it as it was.
TEST_F(DesktopNameStoreTest, WhatIsNoFileIsUnreadableAndASaveSaysWhatIsThere) {
    const std::string because = "The file \u201Cnames.json\u201D couldn\u2019t be saved because ";
    const auto check = [&](const std::function<void()>& make, const std::string& reason) {
        fs::remove_all(file().parent_path());
        fs::create_directories(file().parent_path());
        make();
        DesktopNameStore store(file());
        EXPECT_EQ(loadMessage(store), "The file \u201cnames.json\u201d couldn\u2019t be opened.") << reason;
        EXPECT_EQ(store.loadReason(), reason);
        EXPECT_EQ(failureOf(store, "Work", kA), because + reason + ". Nothing was written.");
        EXPECT_TRUE(store.names().empty());
    };
    check([&] { fs::create_directory(file()); }, "it is a folder, not a regular file");
    EXPECT_TRUE(fs::is_empty(file()));
    check([&] { ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0); }, "it is a FIFO (named pipe), not a regular file");
    EXPECT_TRUE(fs::is_fifo(file()));
    check([&] { bindSocket(file()); }, "it is a socket, not a regular file");
    EXPECT_TRUE(fs::is_socket(file()));
    check([&] { fs::create_symlink("names.json", file()); },
          "its symbolic links loop or chain more than 40 deep");
    EXPECT_EQ(fs::read_symlink(file()), "names.json");
}

// Where the load found no file, a save writes nothing, whatever the writer would find there now:
// here a chain of links that the kernel gives up on (so the load could not read the file at its
// end) while the writer, which follows each link itself, reaches the person's file. The save
// answers with the load's error and the file stays as it was.
TEST_F(DesktopNameStoreTest, ASaveAfterALoadThatFoundNoFileWritesNothing) {
    const fs::path folder = file().parent_path();
    fs::create_directories(folder / "d");
    fs::create_directory_symlink("d", folder / "dl");
    // Every hop passes the link "dl" too, so the kernel counts two links a hop.
    constexpr int kHops = 25;
    fs::create_symlink("dl/l1", file());
    for (int hop = 1; hop < kHops; ++hop)
        fs::create_symlink("../dl/l" + std::to_string(hop + 1), folder / "d" / ("l" + std::to_string(hop)));
    fs::create_symlink("../dl/kept.json", folder / "d" / ("l" + std::to_string(kHops)));
    const std::string theirs = std::string(R"({"names":{")") + kB + R"(":"Mail"},"version":1})";
    std::ofstream(folder / "d" / "kept.json") << theirs;

    DesktopNameStore store(file());
    EXPECT_EQ(loadMessage(store), "The file \u201cnames.json\u201d couldn\u2019t be opened.");
    EXPECT_EQ(store.loadReason(), "its symbolic links chain more than 40 deep");
    EXPECT_EQ(failureOf(store, "Work", kA), "The file \u201cnames.json\u201d couldn\u2019t be opened.");
    EXPECT_EQ(testkit::fileText(folder / "d" / "kept.json"), theirs);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "d"), fs::directory_iterator()), kHops + 1)
        << "no temporary either";

    // A FIFO at load that a regular file replaces before the save: that file is not written over.
    fs::remove(file());
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    DesktopNameStore fifo(file());
    fs::remove(file());
    std::ofstream(file()) << theirs;
    EXPECT_EQ(failureOf(fifo, "Work", kA), "The file \u201cnames.json\u201d couldn\u2019t be opened.");
    EXPECT_EQ(fileContent(), theirs);
}

// A link that leads to nothing yet is no saved file: nothing to read, and the first save makes
// the file it leads to; the link stays.
TEST_F(DesktopNameStoreTest, ALinkThatLeadsToNothingIsNoSavedFile) {
    testkit::TempFolder dotfiles;
    fs::create_directories(file().parent_path());
    fs::create_symlink(dotfiles / "names.json", file());
    DesktopNameStore store(file());
    EXPECT_EQ(loadMessage(store), "no error");
    store.set("Work", kA);
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(testkit::fileText(dotfiles / "names.json"), std::string(R"({"names":{")") + kA + R"(":"Work"},"version":1})");

    // A link into a folder that is not there says which folder.
    fs::remove(file());
    fs::create_symlink(dotfiles / "gone" / "names.json", file());
    DesktopNameStore intoNothing(file());
    EXPECT_EQ(loadMessage(intoNothing), "no error");
    EXPECT_EQ(failureOf(intoNothing, "Work", kA), "The file \u201Cnames.json\u201D couldn\u2019t be saved because the "
                                                  "folder \u201C" + (dotfiles / "gone").string() + "\u201D does not exist.");
    EXPECT_FALSE(fs::exists(dotfiles / "gone"));
}

TEST_F(DesktopNameStoreTest, RejectedNamesChangeNothing) {
    DesktopNameStore store(file());
    store.set("Work", kA);
    EXPECT_EQ(failureOf(store, "Mail", "not-a-uuid"), "This desktop is no longer available.");
    EXPECT_THROW(store.set("Mail", "not-a-uuid"), DesktopCatalogUnavailable);
    // Text that is not UTF-8 would leave a file nobody can read back.
    EXPECT_EQ(failureOf(store, "Bad \xC3", kB), "The file \u201Cnames.json\u201D couldn\u2019t be saved.");
    EXPECT_EQ(store.names(), (DesktopNameStore::Names{{kA, "Work"}}));
    EXPECT_EQ(fileContent(), std::string(R"({"names":{")") + kA + R"(":"Work"},"version":1})");
}

TEST_F(DesktopNameStoreTest, FolderThatCannotBeCreatedIsReported) {
    std::ofstream(home / "Application Support") << "a file, not a folder";
    DesktopNameStore store(file());
    EXPECT_FALSE(store.loadError());
    EXPECT_THROW(store.set("Work", kA), SystemError);
    EXPECT_EQ(failureOf(store, "Work", kA), "The file \u201Cnames.json\u201D couldn\u2019t be saved because \u201C" +
                                                (home / "Application Support").string() + "\u201D is not a folder.");
    EXPECT_TRUE(store.names().empty());
}

// A file this user may not read, or in a folder this user may not pass through, says so, as a
// person who is not root meets it, and is left alone.
TEST_F(DesktopNameStoreTest, AFileThisUserMayNotReadSaysWhy) {
    const std::string saved = std::string(R"({"names":{")") + kA + R"(":"Work"},"version":1})";
    writeFile(saved);
    fs::permissions(file(), fs::perms::none);
    const fs::path closed = file().parent_path().parent_path();  // "Application Support"
    const auto run = testkit::asUnprivilegedUser({home.path()}, [&] {
        std::string said;
        for (const bool folderClosed : {false, true}) {
            if (folderClosed) fs::permissions(closed, fs::perms(0600));
            DesktopNameStore store(file());
            said += store.loadReason() + " / " + failureOf(store, "Mail", kB) + "\n";
        }
        fs::permissions(closed, fs::perms(0755));
        return said;
    });
    fs::permissions(file(), fs::perms(0644));
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    const std::string unopened = "The file \u201Cnames.json\u201D couldn\u2019t be opened.";
    EXPECT_EQ(run.answer, "you may not read it / " + unopened + "\nyou may not open the folder \u201C" + closed.string() +
                              "\u201D / " + unopened + "\n");
    EXPECT_EQ(fileContent(), saved);
}

// A name written where it should not have been (a FIFO took the file's name at the last moment,
// and the swap that looked at it could not put it back) is in the file: the store holds it too.
TEST_F(DesktopNameStoreTest, ANameWrittenWhereItShouldNotHaveBeenIsHeldAsTheFileHoldsIt) {
    DesktopNameStore store(file());
    store.set("Work", kA);
    {
        const files::WriteHooksScope hooks(testkit::swapBackFails(file()));
        EXPECT_THROW(store.set("Mail", kB), files::WrittenAmiss);
    }
    EXPECT_EQ(store.names(), (DesktopNameStore::Names{{kA, "Work"}, {kB, "Mail"}}));
    EXPECT_EQ(DesktopNameStore(file()).names(), store.names());
}

// Limits the size of files this process may write, so a write fails half way even as root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int);
};

TEST_F(DesktopNameStoreTest, InterruptedWriteLeavesTheOldFileWhole) {
    DesktopNameStore store(file());
    store.set("Work", kA);
    const std::string before = fileContent();
    {
        FileSizeLimit limit(before.size() + 10);
        EXPECT_THROW(store.set(std::string(200, 'x'), kB), SystemError);
    }
    EXPECT_EQ(fileContent(), before);
    EXPECT_EQ(store.names(), (DesktopNameStore::Names{{kA, "Work"}}));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file().parent_path())) ++entries;
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}

}  // namespace
}  // namespace tarnwick
