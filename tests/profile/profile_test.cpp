#include "settings/profile/profile.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dp {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

// Each test gets its own folder, readable by every user so that an unprivileged child can use it.
class TempDir : public test::TempFolder {
public:
    TempDir() { ::chmod(Path().c_str(), 0755); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(Path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

using test::RunUnprivileged;

// ---- Reading -------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string text;
    std::string section;
    std::string key;
    bool found;
    std::string value; // when found
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

std::vector<ReadCase> ReadCases() {
    const std::string x3000 = Repeat('x', 3000);
    const std::string longJunk = Repeat('j', 100000);
    const std::string longName = Repeat('n', kMaxNameLength);
    return {
        {"Plain", "[COMMON]\nU_RP=370\n", "COMMON", "U_RP", true, "370"},
        {"SectionAndKeyIgnoreCase", "[common]\nu_rp=1\n", "COMMON", "U_RP", true, "1"},
        {"BlanksAroundNamesAndValue", " \t[ COMMON ] \t\n \tU_RP \t= \t 370 \t\n", "COMMON", "U_RP", true,
         "370"},
        {"InnerBlanksKept", "[my sec]\nmy key = a  b \n", "MY SEC", "My Key", true, "a  b"},
        {"DoubleQuotesRemoved", "[A]\nk=\" x \"\n", "A", "k", true, " x "},
        {"SingleQuotesRemoved", "[A]\nk= 'x' \n", "A", "k", true, "x"},
        {"MismatchedQuotesKept", "[A]\nk=\"x'\n", "A", "k", true, "\"x'"},
        {"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", true, "\""},
        {"EmptyQuotes", "[A]\nk=\"\"\n", "A", "k", true, ""},
        {"QuotesInsideKept", "[A]\nk=a\"b\"\n", "A", "k", true, "a\"b\""},
        {"EmptyValueIsFound", "[A]\nk=\n", "A", "k", true, ""},
        {"BlankValueIsFound", "[A]\nk=  \t\n", "A", "k", true, ""},
        {"SplitAtFirstEquals", "[A]\nk==x=y\n", "A", "k", true, "=x=y"},
        {"CommentSkipped", "[A]\n;k=1\nk=2\n", "A", "k", true, "2"},
        {"IndentedComment", "[A]\n \t; k=1\n", "A", "k", false, ""},
        {"SemicolonInValueKept", "[A]\nk=1 ; note\n", "A", "k", true, "1 ; note"},
        {"FirstDuplicateKeyWins", "[A]\nk=1\nK=2\n", "A", "k", true, "1"},
        {"FirstDuplicateSectionWins", "[A]\nk=1\n[a]\nk=2\n", "A", "k", true, "1"},
        {"LaterDuplicateSectionNotRead", "[A]\nx=1\n[B]\n[A]\nk=2\n", "A", "k", false, ""},
        {"MissingSection", "[A]\nk=1\n", "B", "k", false, ""},
        {"MissingKey", "[A]\nk=1\n[B]\nj=2\n", "A", "j", false, ""},
        {"KeyBeforeAnySectionIgnored", "k=1\n[A]\n", "A", "k", false, ""},
        {"KeyOfNextSectionNotSeen", "[A]\n[B]\nk=1\n", "A", "k", false, ""},
        {"CrLf", "[A]\r\nk=1\r\nj=2\r\n", "A", "k", true, "1"},
        {"LoneCr", "[A]\rk=1\rj=2", "A", "j", true, "2"},
        {"MixedEndings", "[A]\r\nk=1\rj=2\nm=3", "A", "m", true, "3"},
        {"NoFinalLineBreak", "[A]\nk=1", "A", "k", true, "1"},
        {"LineWithoutEqualsIgnored", "[A]\njunk\nk=1\n", "A", "k", true, "1"},
        {"KeyWithoutEqualsMissing", "[A]\nk\n", "A", "k", false, ""},
        {"BracketMissingNamesSection", "[A]\nk=1\n[B \nk=2\n", "B", "k", true, "2"},
        {"BracketMissingEndsPreviousSection", "[A]\n[B\nk=2\n", "A", "k", false, ""},
        {"TextAfterBracketIgnored", "[A] tail ]\nk=1", "A", "k", true, "1"},
        {"EmptyText", "", "A", "k", false, ""},
        {"BinaryValueKept", "[A]\n\x01\xfe\0=\x02\n k = v\0w\xff \n"s, "A", "k", true, "v\0w\xff"s},
        {"NulInSectionName", "[A\0B]\nk=1\n"s, "A", "k", false, ""},
        {"ValueCutAt2047", "[A]\nk=" + x3000 + "\n", "A", "k", true, Repeat('x', kMaxValueLength)},
        {"QuotedValueCutAt2047", "[A]\nk=\"" + x3000 + "\"\n", "A", "k", true, Repeat('x', kMaxValueLength)},
        {"ValueOf2047Whole", "[A]\nk='" + Repeat('y', 2047) + "'", "A", "k", true, Repeat('y', 2047)},
        {"LongLineBeforeKey", "[A]\n" + longJunk + "\nk=1\n", "A", "k", true, "1"},
        {"LongBlanksBeforeHeader", Repeat(' ', 100000) + "[A]" + Repeat('\t', 100000) + "\nk=1", "A", "k",
         true, "1"},
        {"LongBlanksAroundValue", "[A]\nk=" + Repeat(' ', 100000) + "v" + Repeat(' ', 100000), "A", "k", true,
         "v"},
        {"LongestName", "[" + longName + "]\n" + longName + "=1\n", longName, longName, true, "1"},
        {"OverlongNameNotMatched", "[" + longName + "n]\nk=1\n", longName, "k", false, ""},
        {"EmptyNameNotMatched", "[]\n=1\n", "A", "k", false, ""},
        {"Utf8MarkSkipped", "\xEF\xBB\xBF[COMMON]\r\nU_RP=1\r\n", "COMMON", "U_RP", true, "1"},
        {"Utf8MarkBeforeKeyLine", "\xEF\xBB\xBFk=1\n[A]\n", "A", "k", false, ""},
        {"Utf8MarkOnlyAtTheStart", "[A]\n\xEF\xBB\xBFk=1\n", "A", "k", false, ""},
        {"HalfAMarkIsText", "\xEF\xBB[A]\nk=1\n", "A", "k", false, ""},
        {"MarkAlone", "\xEF\xBB\xBF", "A", "k", false, ""},
    };
}

class ReadTable : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTable, EveryReaderGivesTheSameAnswer) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.File("a.ini");
    WriteBytes(file, c.text);
    const std::string expected = c.found ? c.value : "DEF";
    const TProfileStatus expectedStatus = c.found ? TProfileStatus::Found : TProfileStatus::Missing;

    TProfileStatus status = TProfileStatus::ReadError;
    EXPECT_EQ(GetProfileString(file, c.section, c.key, "DEF", &status), expected);
    EXPECT_EQ(status, expectedStatus);

    const TProfileReader reader(file);
    EXPECT_EQ(reader.LoadStatus(), TProfileStatus::Found);
    status = TProfileStatus::ReadError;
    EXPECT_EQ(reader.GetString(c.section, c.key, "DEF", &status), expected);
    EXPECT_EQ(status, expectedStatus);

    // The streaming scan must not depend on where the pieces of the file end.
    for (std::size_t chunk : {1, 2, 3, 7, 4096, 1 << 20}) {
        std::string value;
        EXPECT_EQ(profile_detail::FindValueStreaming(c.text, c.section, c.key, chunk, &value), c.found)
            << "chunk " << chunk;
        if (c.found) {
            EXPECT_EQ(value, c.value) << "chunk " << chunk;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Profile, ReadTable, ::testing::ValuesIn(ReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileRead, NoFileIsMissingNotAnError) {
    TempDir dir;
    TProfileStatus status = TProfileStatus::ReadError;
    EXPECT_EQ(GetProfileString(dir.File("none.ini"), "A", "k", "DEF", &status), "DEF");
    EXPECT_EQ(status, TProfileStatus::Missing);
    EXPECT_EQ(GetProfileString(dir.File("no/such/folder.ini"), "A", "k", "DEF", &status), "DEF");
    EXPECT_EQ(status, TProfileStatus::Missing);
    const TProfileReader reader(dir.File("none.ini"));
    EXPECT_EQ(reader.LoadStatus(), TProfileStatus::Missing);
    EXPECT_EQ(reader.GetString("A", "k", "DEF", &status), "DEF");
    EXPECT_EQ(status, TProfileStatus::Missing);
}

TEST(ProfileRead, FolderInPlaceOfFileIsReadError) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    ASSERT_EQ(::mkdir(file.c_str(), 0755), 0);
    TProfileStatus status = TProfileStatus::Found;
    EXPECT_EQ(GetProfileString(file, "A", "k", "DEF", &status), "DEF");
    EXPECT_EQ(status, TProfileStatus::ReadError);
    const TProfileReader reader(file);
    EXPECT_EQ(reader.LoadStatus(), TProfileStatus::ReadError);
    EXPECT_EQ(reader.ErrorNumber(), EISDIR);
    EXPECT_EQ(reader.GetString("A", "k", "DEF", &status), "DEF");
    EXPECT_EQ(status, TProfileStatus::ReadError);
}

TEST(ProfileRead, FifoInPlaceOfFileIsReadErrorWithoutBlocking) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    TProfileStatus status = TProfileStatus::Found;
    EXPECT_EQ(GetProfileString(file, "A", "k", "DEF", &status), "DEF");
    EXPECT_EQ(status, TProfileStatus::ReadError);
    EXPECT_EQ(TProfileReader(file).LoadStatus(), TProfileStatus::ReadError);
}

TEST(ProfileRead, UnreadableFileIsReadError) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    WriteBytes(file, "[A]\nk=1\n");
    // Root's child runs as another user; anyone else loses the read permission.
    ASSERT_EQ(::chmod(file.c_str(), ::geteuid() == 0 ? 0600 : 0200), 0);
    const int code = RunUnprivileged([&] {
        TProfileStatus status = TProfileStatus::Found;
        const std::string value = GetProfileString(file, "A", "k", "DEF", &status);
        const TProfileReader reader(file);
        return value == "DEF" && status == TProfileStatus::ReadError &&
                       reader.LoadStatus() == TProfileStatus::ReadError && reader.ErrorNumber() == EACCES
                   ? 0
                   : 1;
    });
    EXPECT_EQ(code, 0);
}

// A UTF-16 file is not read, and so never written into: it would end as a file of two encodings.
TEST(ProfileRead, Utf16FileIsReadErrorAndNeverWritten) {
    for (const std::string& mark : {"\xFF\xFE"s, "\xFE\xFF"s}) {
        TempDir dir;
        const std::string file = dir.File("a.ini");
        std::string text = mark;
        for (char c : "[COMMON]\r\nU_RP=1\r\n"s)
            text += mark[0] == '\xFF' ? std::string{c, '\0'} : std::string{'\0', c};
        WriteBytes(file, text);
        TProfileStatus status = TProfileStatus::Found;
        EXPECT_EQ(GetProfileString(file, "COMMON", "U_RP", "DEF", &status), "DEF");
        EXPECT_EQ(status, TProfileStatus::ReadError);
        EXPECT_EQ(TProfileReader(file).LoadStatus(), TProfileStatus::ReadError);
        EXPECT_EQ(TProfileReader::FromText(text).LoadStatus(), TProfileStatus::ReadError);
        EXPECT_EQ(TProfileReader(file).ErrorNumber(), EILSEQ);
        std::string value;
        EXPECT_FALSE(profile_detail::FindValueStreaming(text, "COMMON", "U_RP", 1, &value));

        EXPECT_FALSE(WriteProfileString(file, "COMMON", "U_RP", "2"));
        TProfileWriter writer(file);
        EXPECT_FALSE(writer.WriteString("COMMON", "U_RP", "2"));
        EXPECT_FALSE(writer.Commit());
        EXPECT_EQ(ReadBytes(file), text);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.ini"});
    }
}

TEST(ProfileRead, ImpossibleNamesAreMissing) {
    const TProfileReader reader = TProfileReader::FromText("[]\n=1\n[ A]\n k =2\n[A]]\nk=3\n");
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
             {"", "k"}, {"A", ""}, {" A", "k"}, {"A", " k"}, {"A]", "k"}, {"A", "k="}, {"A\n", "k"}}) {
        TProfileStatus status = TProfileStatus::Found;
        EXPECT_EQ(reader.GetString(section, key, "DEF", &status), "DEF") << section << "/" << key;
        EXPECT_EQ(status, TProfileStatus::Missing);
    }
    EXPECT_EQ(reader.GetString("A", "k", "DEF"), "2");
}

TEST(ProfileRead, ReaderAnswersManyKeysOfOneFile) {
    std::string text = "; settings\n[COMMON]\nU_RP=400\nNumRegs=200\n";
    for (int n = 1; n <= 200; ++n)
        text += "[REG" + std::to_string(n) + "]\r\nRR=" + std::to_string(n) + "\r\nRL_P=5,5\r\n\r\n";
    text += "[FSize]\nWidth=834";
    TempDir dir;
    const std::string file = dir.File("a.ini");
    WriteBytes(file, text);
    const TProfileReader reader(file);
    EXPECT_EQ(reader.GetString("COMMON", "NumRegs", ""), "200");
    EXPECT_EQ(reader.GetString("FSize", "Width", ""), "834");
    for (int n = 1; n <= 200; ++n) {
        const std::string section = "REG" + std::to_string(n);
        EXPECT_EQ(reader.GetString(section, "RR", ""), std::to_string(n));
        EXPECT_EQ(reader.GetString(section, "RR", ""), GetProfileString(file, section, "RR", ""));
        EXPECT_EQ(reader.GetString(section, "RR_LEN", "none"), "none");
    }
}

// ---- Writing -------------------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

std::vector<WriteCase> WriteCases() {
    return {
        {"ReplaceValueOnly", "; top\n[A]\n  k = 1 \nj=2\n", "A", "k", "5", "; top\n[A]\n  k = 5\nj=2\n"},
        {"ReplaceKeepsSpelling", "[a]\nK=1\n", "A", "k", "2", "[a]\nK=2\n"},
        {"ReplaceFirstDuplicate", "[A]\nk=1\nk=2\n[A]\nk=3\n", "A", "k", "9", "[A]\nk=9\nk=2\n[A]\nk=3\n"},
        {"ReplaceEmptyValue", "[A]\nk=\n", "A", "k", "9", "[A]\nk=9\n"},
        {"ReplaceWithEmpty", "[A]\nk=1\n", "A", "k", "", "[A]\nk=\n"},
        {"ReplaceQuotedValue", "[A]\nk=\"1\"\n", "A", "k", "9", "[A]\nk=9\n"},
        {"ReplaceLastLineWithoutBreak", "[A]\nk=1", "A", "k", "22", "[A]\nk=22"},
        {"ReplaceKeepsCrLf", "[A]\r\nk=1\r\nj=2\r\n", "A", "k", "9", "[A]\r\nk=9\r\nj=2\r\n"},
        {"ReplaceKeepsLoneCr", "[A]\rk=1\r\n", "A", "k", "9", "[A]\rk=9\r\n"},
        {"AddKeyInMiddleSection", "[A]\nx=1\n\n; about B\n[B]\ny=2\n", "A", "k", "9",
         "[A]\nx=1\nk=9\n\n; about B\n[B]\ny=2\n"},
        {"AddKeyToEmptySection", "[A]\n\n[B]\n", "A", "k", "9", "[A]\nk=9\n\n[B]\n"},
        {"AddKeyAfterLastKeyLine", "[A]\nx=1\njunk\n;c\n[B]", "A", "k", "9", "[A]\nx=1\nk=9\njunk\n;c\n[B]"},
        {"AddKeyToFirstOfDuplicates", "[A]\nx=1\n[A]\nk=1\n", "A", "k", "9", "[A]\nx=1\nk=9\n[A]\nk=1\n"},
        {"AddKeyAfterLastLineWithoutBreak", "[A]\nx=1", "A", "k", "9", "[A]\nx=1\nk=9\n"},
        {"AddKeyAfterHeaderWithoutBreak", "[A]", "A", "k", "9", "[A]\nk=9\n"},
        {"AddKeyToSectionMissingBracket", "[A\nx=1\n[B]\n", "A", "k", "9", "[A\nx=1\nk=9\n[B]\n"},
        {"AddKeyCrLf", "[A]\r\nx=1\r\n\r\n[B]\r\n", "A", "k", "9", "[A]\r\nx=1\r\nk=9\r\n\r\n[B]\r\n"},
        {"AddSectionAtEnd", "[B]\ny=2\n\n", "A", "k", "9", "[B]\ny=2\n\n[A]\nk=9\n"},
        {"AddSectionWithoutTrailingBreak", "[B]\ny=2", "A", "k", "9", "[B]\ny=2\n[A]\nk=9\n"},
        {"AddSectionCrLfWithoutTrailingBreak", "[B]\r\ny=2", "A", "k", "9", "[B]\r\ny=2\r\n[A]\r\nk=9\r\n"},
        {"AddSectionLoneCr", "[B]\ry=2\r", "A", "k", "9", "[B]\ry=2\r[A]\rk=9\r"},
        {"MostlyLoneCrButSomeLfUsesLf", "[A]\rx=1\n\n[B]\r\r", "A", "k", "9", "[A]\rx=1\nk=9\n\n[B]\r\r"},
        {"AddSectionMostlyLf", "[B]\r\ny=1\nz=2\n", "A", "k", "9", "[B]\r\ny=1\nz=2\n[A]\nk=9\n"},
        {"ValueWithEndBlanksQuoted", "[A]\nk = 1\n", "A", "k", " y\t", "[A]\nk = \" y\t\"\n"},
        {"QuotedValueQuotedAgain", "[A]\n", "A", "k", "'q'", "[A]\nk=\"'q'\"\n"},
        {"DoubleQuotedValueQuotedAgain", "[A]\n", "A", "k", "\"q\"", "[A]\nk=\"\"q\"\"\n"},
        {"InnerBlanksAndLoneQuoteNotQuoted", "[A]\n", "A", "k", "a b\"", "[A]\nk=a b\"\n"},
        {"AddSectionToEmptyFile", "", "A", "k", "9", "[A]\nk=9\n"},
        {"AddSectionAfterOnlyComments", "; c\n", "A", "k", "9", "; c\n[A]\nk=9\n"},
        {"KeepsBinaryAndUnknownLines", "\x01\0\xff\n[Z]\nq\0=\xfe\n[A]\nk=1\n"s, "A", "k", "2",
         "\x01\0\xff\n[Z]\nq\0=\xfe\n[A]\nk=2\n"s},
        {"Utf8MarkKeptOnReplace", "\xEF\xBB\xBF[COMMON]\nU_RP=1\n", "COMMON", "U_RP", "2",
         "\xEF\xBB\xBF[COMMON]\nU_RP=2\n"},
        {"Utf8MarkedSectionGetsTheNewKey", "\xEF\xBB\xBF[COMMON]\nU_RP=1\n", "COMMON", "NumRegs", "3",
         "\xEF\xBB\xBF[COMMON]\nU_RP=1\nNumRegs=3\n"},
        {"Utf8MarkAloneGetsSectionRightAfterIt", "\xEF\xBB\xBF", "A", "k", "1", "\xEF\xBB\xBF[A]\nk=1\n"},
        {"NewKeyNotInLaterDuplicateSection", "[A]\n[B]\n[A]\nk=1\n", "a", "K", "2",
         "[A]\nK=2\n[B]\n[A]\nk=1\n"},
    };
}

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteTable : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTable, ChangesOnlyTheKeysLine) {
    const WriteCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.File("a.ini");
    WriteBytes(file, c.before);
    ASSERT_TRUE(WriteProfileString(file, c.section, c.key, c.value));
    EXPECT_EQ(ReadBytes(file), c.after);
    EXPECT_EQ(GetProfileString(file, c.section, c.key, "DEF"), c.value);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.ini"}) << "no temporary file stays behind";

    TProfileWriter inMemory = TProfileWriter::FromText(c.before);
    ASSERT_TRUE(inMemory.WriteString(c.section, c.key, c.value));
    EXPECT_EQ(inMemory.Text(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Profile, WriteTable, ::testing::ValuesIn(WriteCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileWrite, CreatesMissingFileWithDefaultPermissions) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    const mode_t old = ::umask(022);
    EXPECT_TRUE(WriteProfileString(file, "COMMON", "U_RP", "370"));
    ::umask(old);
    EXPECT_EQ(ReadBytes(file), "[COMMON]\nU_RP=370\n");
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST(ProfileWrite, KeepsPermissionBits) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    WriteBytes(file, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(WriteProfileString(file, "A", "k", "2"));
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(ProfileWrite, WritesThroughSymlinkKeepingIt) {
    TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("a.ini");
    WriteBytes(real, "[A]\nk=1\n");
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    ASSERT_TRUE(WriteProfileString(link, "A", "k", "2"));
    struct stat st;
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(real), "[A]\nk=2\n");
}

TEST(ProfileWrite, ImpossibleNamesAndValuesAreRefusedAndFileKept) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    const std::string before = "[A]\nk=1\n";
    WriteBytes(file, before);
    struct Bad {
        std::string section, key, value;
    };
    for (const Bad& b : std::vector<Bad>{{"", "k", "1"},
                                         {"A", "", "1"},
                                         {"A]", "k", "1"},
                                         {" A", "k", "1"},
                                         {"A\t", "k", "1"},
                                         {"A\nB", "k", "1"},
                                         {"A", "k=", "1"},
                                         {"A", ";k", "1"},
                                         {"A", "[k", "1"},
                                         {"A", "k ", "1"},
                                         {"A", "k", "1\n2"},
                                         {"A", "k", "1\r"},
                                         {"A", "k", "1\0"s},
                                         {std::string(kMaxNameLength + 1, 'n'), "k", "1"}}) {
        EXPECT_FALSE(WriteProfileString(file, b.section, b.key, b.value)) << b.section << "/" << b.key;
    }
    EXPECT_EQ(ReadBytes(file), before);
}

TEST(ProfileWrite, FolderInPlaceOfFileIsRefused) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    ASSERT_EQ(::mkdir(file.c_str(), 0755), 0);
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "1"));
    TProfileWriter writer(file);
    EXPECT_EQ(writer.LoadStatus(), TProfileStatus::ReadError);
    EXPECT_FALSE(writer.WriteString("A", "k", "1"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_TRUE(fs::is_directory(file));
}

// Failures of the file system: the old file stays byte for byte and no temporary file is left.
class ProfileWriteFailure : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(file_, before_);
        ASSERT_EQ(::chmod(file_.c_str(), 0666), 0);
    }
    void ExpectOldFileIntact() {
        EXPECT_EQ(ReadBytes(file_), before_);
        EXPECT_EQ(dir_.Names(), std::vector<std::string>{"a.ini"});
    }
    TempDir dir_;
    std::string file_ = dir_.File("a.ini");
    std::string before_ = "; keep\n[A]\nk=1\n";
};

TEST_F(ProfileWriteFailure, ReadOnlyFolder) {
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir_.Path().c_str(), 0555), 0);
    }
    const int code = RunUnprivileged([&] {
        const bool single = WriteProfileString(file_, "A", "k", "2");
        TProfileWriter batch(file_);
        const bool committed = batch.WriteString("B", "j", "3") && batch.Commit();
        return !single && !committed ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    ExpectOldFileIntact();
}

TEST_F(ProfileWriteFailure, ReadOnlyFileInWritableFolder) {
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
    const int code = RunUnprivileged([&] { return WriteProfileString(file_, "A", "k", "2") ? 1 : 0; });
    EXPECT_EQ(code, 0);
    ExpectOldFileIntact();
}

TEST_F(ProfileWriteFailure, DiskFull) {
    // A file size limit makes the write of the temporary file fail the way a full disk does.
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
    const int code = RunUnprivileged([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        return WriteProfileString(file_, "A", "k", std::string(1000, 'v')) ? 1 : 0;
    });
    EXPECT_EQ(code, 0);
    ExpectOldFileIntact();
}

// ---- Batch writer ----------------------------------------------------------------------------

struct KeyWrite {
    std::string section, key, value;
};

struct BatchCase {
    const char* name;
    std::string before;
};

void PrintTo(const BatchCase& c, std::ostream* os) {
    *os << c.name;
}

class BatchTable : public ::testing::TestWithParam<BatchCase> {};

TEST_P(BatchTable, EqualsOneWriteAfterAnother) {
    std::vector<KeyWrite> writes = {
        {"COMMON", "U_RP", "400"}, {"COMMON", "NumRegs", "3"}, {"REG1", "RR", "256"},
        {"REG1", "RR_LEN", "10"},  {"reg1", "rr", "300"},      {"REG2", "RR", "1"},
        {"REG9", "New", "x"},      {"FSize", "Width", "834"},  {"Other", "A", "1"},
        {"REG2", "RR_DIA", "1,2"}, {"COMMON", "U_RP", "5"},    {"other", "B", ""},
        {"REG3", "RL_P", "5,5"},   {"FSize", "Height", "478"},
    };
    for (int n = 4; n <= 12; ++n)
        for (const char* key : {"RR_ENT", "RR", "RR_LEN", "RR_DIA", "RL_P"})
            writes.push_back({"REG" + std::to_string(n), key, std::to_string(n)});

    TempDir dir;
    const std::string one = dir.File("one.ini");
    const std::string batch = dir.File("batch.ini");
    if (GetParam().name != std::string("NoFile")) {
        WriteBytes(one, GetParam().before);
        WriteBytes(batch, GetParam().before);
    }
    for (const KeyWrite& w : writes) ASSERT_TRUE(WriteProfileString(one, w.section, w.key, w.value));
    TProfileWriter writer(batch);
    for (const KeyWrite& w : writes) ASSERT_TRUE(writer.WriteString(w.section, w.key, w.value));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadBytes(batch), ReadBytes(one));

    const TProfileReader reader(batch);
    EXPECT_EQ(reader.GetString("COMMON", "U_RP", ""), "5");
    EXPECT_EQ(reader.GetString("REG1", "RR", ""), "300");
    EXPECT_EQ(reader.GetString("REG12", "RL_P", ""), "12");
}

INSTANTIATE_TEST_SUITE_P(
    Profile, BatchTable,
    ::testing::Values(BatchCase{"NoFile", ""}, BatchCase{"EmptyFile", ""},
                      BatchCase{"Settings", "; settings\n[COMMON]\nU_RP=370\n\n[REG1]\nRR=1\nRR_LEN=2\n\n"
                                            "[REG2]\n\n[REG7]\nRR=7\n[FSize]\nWidth=1"},
                      BatchCase{"CrLfDuplicatesJunk", "[REG2]\r\nRR=2\r\njunk\r\n[COMMON\r\n;c\r\n[REG2]\r\n"
                                                      "RR=3\r\n\0\xff\r\n[REG1]"s},
                      BatchCase{"LoneCr", "[OTHER]\rA=0\r"},
                      BatchCase{"MostlyLoneCrWithLf", "[OTHER]\rA=0\r\r\r[REG2]\rRR=1\n\n[REG1]\r"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileBatch, WriterWithoutChangesRewritesSameBytes) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    const std::string text = "\xef\xbb\xbf; x\r\n[A]\nk = 'v' \r\n\0junk"s;
    WriteBytes(file, text);
    TProfileWriter writer(file);
    EXPECT_EQ(writer.Text(), text);
    EXPECT_TRUE(writer.Commit());
    EXPECT_EQ(ReadBytes(file), text);
}

TEST(ProfileBatch, FailedCommitLeavesOldFile) {
    TempDir dir;
    const std::string file = dir.File("a.ini");
    WriteBytes(file, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    }
    const int code = RunUnprivileged([&] {
        TProfileWriter writer(file);
        for (int n = 1; n <= 200; ++n)
            if (!writer.WriteString("REG" + std::to_string(n), "RR", "1")) return 2;
        return writer.Commit() ? 1 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(file), "[A]\nk=1\n");
}

TEST(ProfileBatch, FromTextCannotCommit) {
    TProfileWriter writer = TProfileWriter::FromText("[A]\n");
    EXPECT_TRUE(writer.WriteString("A", "k", "1"));
    EXPECT_EQ(writer.Text(), "[A]\nk=1\n");
    EXPECT_FALSE(writer.Commit());
}

} // namespace
} // namespace dp
