// The atomic file writer: what it refuses, what it keeps of the old file, where links lead it, and
// what a save killed at a random moment leaves behind.
#include "util/atomic_file.h"

#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"
#include "tests/util/failing_calls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dp {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// A folder of the test's own, open to every user so that an unprivileged child can use it.
class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override { ::chmod(dir_.c_str(), 0777); }
    void TearDown() override { atomic_file_detail::AllowUnnamedTemporary(true); }
    std::string File(const std::string& name) const { return dir_ + "/" + name; }
    std::vector<std::string> Names(const std::string& folder = {}) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.empty() ? dir_ : folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    int Temporaries(const std::string& name) const {
        const auto names = Names();
        return static_cast<int>(std::count_if(names.begin(), names.end(), [&](const std::string& n) {
            return atomic_file_detail::IsTemporaryOf(n, name);
        }));
    }

    test::TempFolder folder_;
    const std::string dir_ = folder_.Path();
};

TEST_F(AtomicFileTest, ReadOnlyFileIsNeverReplacedAlsoForRoot) {
    // The tests run as root in CI: root's rights must not override the user's read-only mark.
    const std::string file = File("a.ini");
    WriteBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const ino_t inode = StatOf(file).st_ino;
    int error = 0;
    EXPECT_FALSE(ReplaceFileAtomically(file, "new", &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_EQ(Names(), std::vector<std::string>{"a.ini"});
}

TEST_F(AtomicFileTest, OwnerGroupAndModeAreKept) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    const std::string file = File("a.ini");
    WriteBytes(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(ReplaceFileAtomically(file, "new"));
    const struct stat st = StatOf(file);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(file), "new");
}

TEST_F(AtomicFileTest, NewFileGetsTheUsualModeAndAWriteOnlyFileStaysWriteOnly) {
    const mode_t old = ::umask(022);
    ASSERT_TRUE(ReplaceFileAtomically(File("new.ini"), "x"));
    ::umask(old);
    EXPECT_EQ(StatOf(File("new.ini")).st_mode & 07777, 0644u);

    WriteBytes(File("w.ini"), "old");
    ASSERT_EQ(::chmod(File("w.ini").c_str(), 0200), 0);
    ASSERT_TRUE(ReplaceFileAtomically(File("w.ini"), "new"));
    EXPECT_EQ(StatOf(File("w.ini")).st_mode & 07777, 0200u);
}

// Links: where the content lands, and the link itself stays as it was.
struct LinkCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links; // link name -> what it points to
    std::string written;                                    // the name the save is given
    std::string lands;                                      // the file that gets the content
    bool targetExists;
};

void PrintTo(const LinkCase& c, std::ostream* os) {
    *os << c.name;
}

class AtomicFileLinks : public AtomicFileTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(AtomicFileLinks, StayLinksAndTheFileTheyNameGetsTheContent) {
    const LinkCase& c = GetParam();
    ASSERT_EQ(::mkdir(File("sub").c_str(), 0755), 0);
    if (c.targetExists) WriteBytes(File(c.lands), "old");
    for (const auto& [link, to] : c.links) // "@abs": the absolute path of the file the chain ends at
        ASSERT_EQ(::symlink((to == "@abs" ? File(c.lands) : to).c_str(), File(link).c_str()), 0) << link;
    int error = 0;
    ASSERT_TRUE(ReplaceFileAtomically(File(c.written), "new", &error)) << std::strerror(error);
    EXPECT_EQ(ReadBytes(File(c.lands)), "new");
    for (const auto& [link, to] : c.links) EXPECT_TRUE(S_ISLNK(StatOf(File(link)).st_mode)) << link;
    EXPECT_TRUE(S_ISREG(StatOf(File(c.lands)).st_mode));
    EXPECT_EQ(Temporaries(fs::path(c.lands).filename().string()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AtomicFileLinks,
    ::testing::Values(
        LinkCase{"Relative", {{"a.ini", "real.ini"}}, "a.ini", "real.ini", true},
        LinkCase{"IntoAFolder", {{"a.ini", "sub/real.ini"}}, "a.ini", "sub/real.ini", true},
        LinkCase{"RelativeToTheLinksFolder", {{"sub/a.ini", "../real.ini"}}, "sub/a.ini", "real.ini", true},
        LinkCase{"Absolute", {{"a.ini", "@abs"}}, "a.ini", "sub/real.ini", true},
        LinkCase{"Chain", {{"a.ini", "b.ini"}, {"b.ini", "sub/real.ini"}}, "a.ini", "sub/real.ini", true},
        LinkCase{"Dangling", {{"a.ini", "real.ini"}}, "a.ini", "real.ini", false},
        LinkCase{"DanglingChainIntoAFolder",
                 {{"a.ini", "b.ini"}, {"b.ini", "sub/real.ini"}},
                 "a.ini",
                 "sub/real.ini",
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AtomicFileTest, LinkLoopAndMissingFolderFailAndCreateNothing) {
    ASSERT_EQ(::symlink("b.ini", File("a.ini").c_str()), 0);
    ASSERT_EQ(::symlink("a.ini", File("b.ini").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere/real.ini", File("c.ini").c_str()), 0);
    int error = 0;
    EXPECT_FALSE(ReplaceFileAtomically(File("a.ini"), "x", &error));
    EXPECT_EQ(error, ELOOP);
    EXPECT_FALSE(ReplaceFileAtomically(File("c.ini"), "x", &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(ReplaceFileAtomically(File("missing/d.ini"), "x", &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(ReplaceFileAtomically(dir_ + "/", "x", &error));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.ini", "b.ini", "c.ini"}));
}

// The name saved to gets a file of its own; the other names keep the old content, as they would
// if the save had happened to the one name only.
TEST_F(AtomicFileTest, HardLinkedFileIsReplacedUnderTheSavedNameOnly) {
    WriteBytes(File("a.ini"), "old");
    ASSERT_EQ(::link(File("a.ini").c_str(), File("b.ini").c_str()), 0);
    ASSERT_TRUE(ReplaceFileAtomically(File("a.ini"), "new"));
    EXPECT_EQ(ReadBytes(File("a.ini")), "new");
    EXPECT_EQ(ReadBytes(File("b.ini")), "old");
    EXPECT_EQ(StatOf(File("a.ini")).st_nlink, 1u);
    EXPECT_EQ(StatOf(File("b.ini")).st_nlink, 1u);
}

TEST_F(AtomicFileTest, FullDiskLeavesTheOldFileAndNoTemporary) {
    for (const bool unnamed : {true, false}) {
        atomic_file_detail::AllowUnnamedTemporary(unnamed);
        const std::string file = File("a.ini");
        WriteBytes(file, "old");
        ::chmod(file.c_str(), 0666);
        // A file size limit makes the write fail the way a full disk does.
        const int code = test::RunUnprivileged([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{8, 8};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
            int error = 0;
            if (ReplaceFileAtomically(file, std::string(1000, 'v'), &error)) return 1;
            return error == EFBIG ? 0 : 3;
        });
        EXPECT_EQ(code, 0) << (unnamed ? "unnamed" : "named");
        EXPECT_EQ(ReadBytes(file), "old");
        EXPECT_EQ(Names(), std::vector<std::string>{"a.ini"});
    }
}

// The disk fails after the temporary is written: its flush or its rename over the old file. The old
// file (or no file, for a first save) stays, no temporary is left, and the failure is reported.
TEST_F(AtomicFileTest, FailedFlushOrRenameLeavesTheOldFileAndNoTemporary) {
    struct TCase {
        const char* What;
        test::TFailingCall Call;
        int Error;
    };
    for (const TCase c : {TCase{"flush", test::TFailingCall::Fsync, EIO},
                          TCase{"flush, disk full", test::TFailingCall::Fsync, ENOSPC},
                          TCase{"rename", test::TFailingCall::Rename, EIO},
                          TCase{"rename, disk full", test::TFailingCall::Rename, ENOSPC}}) {
        for (const bool unnamed : {true, false})
            for (const bool existing : {true, false}) {
                SCOPED_TRACE(::testing::Message() << c.What << (unnamed ? ", unnamed" : ", named")
                                                  << (existing ? ", over a file" : ", new file"));
                atomic_file_detail::AllowUnnamedTemporary(unnamed);
                const std::string file = File("a.ini");
                fs::remove(file);
                if (existing) WriteBytes(file, "old");
                test::FailNextCall(c.Call, c.Error);
                int error = 0;
                EXPECT_FALSE(ReplaceFileAtomically(file, "new", &error));
                test::Disarm();
                EXPECT_EQ(test::FailedCalls(), 1);
                EXPECT_EQ(error, c.Error);
                if (existing) {
                    EXPECT_EQ(ReadBytes(file), "old");
                    EXPECT_EQ(Names(), std::vector<std::string>{"a.ini"});
                } else {
                    EXPECT_EQ(Names(), std::vector<std::string>{});
                }
                // The next save goes through.
                EXPECT_TRUE(ReplaceFileAtomically(file, "newer"));
                EXPECT_EQ(ReadBytes(file), "newer");
                EXPECT_EQ(Names(), std::vector<std::string>{"a.ini"});
            }
    }
}

TEST_F(AtomicFileTest, StaleTemporariesGoAndARunningSavesTemporaryStays) {
    const std::string file = File("a.ini");
    const std::string dead = File(".a.ini.0123456789abcdef.tmp");
    const std::string alive = File(".a.ini.fedcba9876543210.tmp");
    const std::string other = File(".b.ini.0123456789abcdef.tmp");
    const std::string lookalike = File(".a.ini.notatemporary.tmp");
    for (const std::string& f : {dead, alive, other, lookalike}) WriteBytes(f, "half");
    // Another process saving right now holds the lock on its temporary.
    const int held = ::open(alive.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(ReplaceFileAtomically(file, "new"));
    ::close(held);
    EXPECT_EQ(Names(), (std::vector<std::string>{".a.ini.fedcba9876543210.tmp", ".a.ini.notatemporary.tmp",
                                                 ".b.ini.0123456789abcdef.tmp", "a.ini"}));
    ASSERT_TRUE(ReplaceFileAtomically(file, "newer"));
    EXPECT_EQ(Temporaries("a.ini"), 0);
}

// Saves killed at random moments (a fixed seed, so every run kills at the same offsets): the file
// is always the old or the new content, at most one temporary is ever left, and the next save
// that completes leaves none.
class AtomicFileKills : public AtomicFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(AtomicFileKills, NeverLeaveABrokenFileOrMoreThanOneTemporary) {
    atomic_file_detail::AllowUnnamedTemporary(GetParam());
    const std::string file = File("raschet-dp.ini");
    // Large enough that a kill often lands inside the write.
    const std::string first(256 * 1024, 'a');
    const std::string second(200 * 1024, 'b');
    ASSERT_TRUE(ReplaceFileAtomically(file, first));

    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> delayMicroseconds(0, 3000);
    int broken = 0, mostTemporaries = 0, killsLeavingOne = 0;
    constexpr int kKills = 200;
    for (int kill = 0; kill < kKills; ++kill) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            [[maybe_unused]] const ssize_t n = ::write(ready[1], "r", 1);
            for (unsigned i = 0;; ++i) ReplaceFileAtomically(file, i % 2 ? first : second);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const std::string now = ReadBytes(file);
        if (now != first && now != second) ++broken;
        const int temporaries = Temporaries("raschet-dp.ini");
        mostTemporaries = std::max(mostTemporaries, temporaries);
        if (temporaries > 0) ++killsLeavingOne;
    }
    ASSERT_TRUE(ReplaceFileAtomically(file, "clean"));
    EXPECT_EQ(broken, 0);
    EXPECT_LE(mostTemporaries, 1);
    EXPECT_EQ(Names(), std::vector<std::string>{"raschet-dp.ini"});
    EXPECT_EQ(ReadBytes(file), "clean");
    std::cout << kKills << " kills: " << broken << " broken files, " << killsLeavingOne
              << " left a temporary, at most " << mostTemporaries << " at a time\n";
}

INSTANTIATE_TEST_SUITE_P(Temporaries, AtomicFileKills, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

} // namespace
} // namespace dp
