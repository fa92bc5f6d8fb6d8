// Where the settings file lives: beside the executable whenever the program can save there, else in
// the user's configuration folder, read from there once that file exists. The folders are made
// read-only for real, so the choice runs as an unprivileged user when the tests run as root.
#include "settings/settings_location.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace dp::test {
namespace {

struct FolderCase {
    const char* name;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

class UserConfig : public ::testing::TestWithParam<FolderCase> {};

TEST_P(UserConfig, FolderFollowsTheEnvironment) {
    EXPECT_EQ(UserConfigFolder(GetParam().xdgConfigHome, GetParam().home), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UserConfig,
    ::testing::Values(FolderCase{"XdgAbsolute", "/srv/cfg", "/home/u", "/srv/cfg"},
                      FolderCase{"XdgTrailingSlashes", "/srv/cfg//", "/home/u", "/srv/cfg"},
                      FolderCase{"XdgUnset", nullptr, "/home/u", "/home/u/.config"},
                      FolderCase{"XdgEmpty", "", "/home/u/", "/home/u/.config"},
                      FolderCase{"XdgRelativeIsIgnored", "cfg", "/home/u", "/home/u/.config"},
                      FolderCase{"HomeIsTheRoot", nullptr, "/", "/.config"},
                      FolderCase{"HomeRelative", nullptr, "u", ""},
                      FolderCase{"Neither", nullptr, nullptr, ""}),
    [](const auto& info) { return std::string(info.param.name); });

enum class Expect {
    Beside,          // read and saved beside the executable
    UserReadsBeside, // saved in the user's folder, read beside the executable (the shipped values)
    UserReadsOwn,    // read and saved in the user's folder
};

struct LocationCase {
    const char* name;
    bool writableFolder;
    int shippedMode;     // mode of the file beside the executable; 0 for none
    bool userFile;       // the user's own file exists
    bool linkToReadOnly; // beside the executable is a link to a file in a read-only folder
    bool noConfigFolder; // no configuration folder can be found
    Expect expect;
};

void PrintTo(const LocationCase& c, std::ostream* os) {
    *os << c.name;
}

class Location : public ::testing::TestWithParam<LocationCase> {
protected:
    void SetUp() override {
        ASSERT_EQ(::chmod(root_.c_str(), 0755), 0); // reachable by the unprivileged user
    }

    void MakeFolder(const std::string& folder, mode_t mode) const {
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
    }
    static void MakeFile(const std::string& file, mode_t mode) {
        std::ofstream(file) << "[COMMON]\nU_RP=400\n";
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
    }

    TempFolder folder_;
    const std::string root_ = folder_.Path();
};

TEST_P(Location, IsBesideTheExecutableWhenItCanBeSavedThere) {
    const LocationCase& c = GetParam();
    const std::string beside = root_ + "/bin/raschet-dp.ini";
    const std::string config = root_ + "/config";
    const std::string own = config + "/raschet-dp/raschet-dp.ini";
    // Folders are filled first and made read-only last.
    MakeFolder(root_ + "/bin", 0777);
    MakeFolder(config, 0777);
    MakeFolder(config + "/raschet-dp", 0777);
    if (c.userFile) MakeFile(own, 0666);
    if (c.linkToReadOnly) {
        MakeFolder(root_ + "/other", 0777);
        MakeFile(root_ + "/other/real.ini", 0666);
        ASSERT_EQ(::symlink("../other/real.ini", beside.c_str()), 0);
        ASSERT_EQ(::chmod((root_ + "/other").c_str(), 0555), 0);
    }
    if (c.shippedMode != 0) MakeFile(beside, static_cast<mode_t>(c.shippedMode));
    if (!c.writableFolder) {
        ASSERT_EQ(::chmod((root_ + "/bin").c_str(), 0555), 0);
    }

    TSettingsLocation expected;
    switch (c.expect) {
    case Expect::Beside:
        expected = {beside, beside, false};
        break;
    case Expect::UserReadsBeside:
        expected = {beside, own, true};
        break;
    case Expect::UserReadsOwn:
        expected = {own, own, true};
        break;
    }
    const int code = RunUnprivileged([&] {
        const TSettingsLocation got =
            ChooseSettingsLocation(beside, c.noConfigFolder ? std::string() : config);
        if (got == expected) return 0;
        std::fprintf(stderr, "read %s, write %s, create %d\n", got.readPath.c_str(), got.writePath.c_str(),
                     got.createFolder);
        return 1;
    });
    if (code == kCouldNotDropRoot) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Location,
    ::testing::Values(
        LocationCase{"WritableFolderWithoutFile", true, 0, false, false, false, Expect::Beside},
        LocationCase{"WritableFolderAndFile", true, 0666, false, false, false, Expect::Beside},
        LocationCase{"WritableFolderWinsOverTheUsersFile", true, 0666, true, false, false, Expect::Beside},
        LocationCase{"ReadOnlyFileInAWritableFolder", true, 0444, false, false, false,
                     Expect::UserReadsBeside},
        LocationCase{"ReadOnlyFolderWithoutFile", false, 0, false, false, false, Expect::UserReadsBeside},
        LocationCase{"ReadOnlyFolderWithAShippedFile", false, 0666, false, false, false,
                     Expect::UserReadsBeside},
        LocationCase{"ReadOnlyFolderAndTheUsersFile", false, 0644, true, false, false, Expect::UserReadsOwn},
        LocationCase{"LinkIntoAReadOnlyFolder", true, 0, false, true, false, Expect::UserReadsBeside},
        LocationCase{"NoConfigurationFolderStaysBeside", false, 0644, false, false, true, Expect::Beside}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CreateFolders, MakesEveryMissingFolderPrivate) {
    const TempFolder folder;
    const std::string& root = folder.Path();
    EXPECT_TRUE(CreateFoldersOf(root + "/a/b/raschet-dp.ini", 0700));
    struct stat st;
    ASSERT_EQ(::stat((root + "/a/b").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(CreateFoldersOf(root + "/a/b/raschet-dp.ini", 0700)); // already there
    std::ofstream(root + "/file") << "x";
    EXPECT_FALSE(CreateFoldersOf(root + "/file/raschet-dp.ini", 0700)); // a file in the way
}

} // namespace
} // namespace dp::test
