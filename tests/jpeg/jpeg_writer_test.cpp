// The JPEG writer: what lands in the file (decoded back with libjpeg), and that a failed write leaves
// the folder as it was.
#include "output/jpeg/jpeg_writer.h"
#include "tests/support/jpeg_decode.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <jpeglib.h>

namespace fs = std::filesystem;

namespace {

// ---- pictures ---------------------------------------------------------------------------------

struct TPicture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> bytes;
    const uint8_t* Pixel(int x, int y) const { return bytes.data() + y * stride + x * 3; }
};

// Eight vertical colour bars over a soft vertical brightness ramp; the padding after each row holds
// bytes that must never reach the picture.
TPicture MakeBars(int width, int height, int padding = 0) {
    static const uint8_t colours[8][3] = {{250, 250, 250}, {230, 200, 20}, {20, 200, 210}, {20, 190, 30},
                                          {200, 30, 190},  {210, 20, 20},  {20, 30, 200},  {10, 10, 10}};
    TPicture picture{width, height, width * 3 + padding, {}};
    picture.bytes.assign(static_cast<std::size_t>(picture.stride) * height, 0x5A);
    for (int y = 0; y < height; ++y) {
        const int ramp = height > 1 ? y * 24 / (height - 1) : 0;
        for (int x = 0; x < width; ++x) {
            const uint8_t* colour = colours[x * 8 / width];
            uint8_t* pixel = picture.bytes.data() + y * picture.stride + x * 3;
            for (int c = 0; c < 3; ++c) pixel[c] = static_cast<uint8_t>(std::max(0, colour[c] - ramp));
        }
    }
    return picture;
}

// Random noise: compresses badly, so the file is large.
TPicture MakeNoise(int width, int height) {
    TPicture picture{width, height, width * 3,
                     std::vector<uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    std::mt19937 random(7);
    for (auto& byte : picture.bytes) byte = static_cast<uint8_t>(random());
    return picture;
}

bool Write(const fs::path& path, const TPicture& picture, std::string* error = nullptr) {
    return dp::WriteJpegFile(path.string(), picture.bytes.data(), picture.width, picture.height,
                             picture.stride, dp::kScreenshotJpegQuality, error);
}

// ---- decoding ---------------------------------------------------------------------------------

using TDecoded = dp::test::TDecodedJpeg;
using TMarker = dp::test::TJpegMarker;
using dp::test::kBaseChrominance;
using dp::test::kBaseLuminance;
using dp::test::ScaledForQuality80;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<TDecoded> Decode(const fs::path& path) {
    return dp::test::DecodeJpeg(ReadBytes(path));
}

double MeanAbsoluteError(const TPicture& source, const TDecoded& decoded) {
    double sum = 0;
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            for (int c = 0; c < 3; ++c)
                sum +=
                    std::abs(int(source.Pixel(x, y)[c]) - int(decoded.rgb[(y * source.width + x) * 3 + c]));
    return sum / (3.0 * source.width * source.height);
}

// ---- folders ----------------------------------------------------------------------------------

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return names;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs `work` without root's power to ignore permissions (in a child process as user "nobody" when
// we are root). Empty when the child could not drop its rights or died.
std::optional<bool> RunUnprivileged(const std::function<bool()>& work) {
    const int code = dp::test::RunUnprivileged([&] { return work() ? 1 : 0; });
    if (code != 0 && code != 1) return std::nullopt;
    return code == 1;
}

class JpegWriterTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
    }
    dp::test::TempFolder folder_;
    const fs::path dir_ = folder_.Path();
    std::string mounted_;
};

// ---- what the file holds ----------------------------------------------------------------------

TEST_F(JpegWriterTest, EncodesColourBaselineJfifAtQuality80WithDefaultSettings) {
    const TPicture picture = MakeBars(802, 177);
    const fs::path path = dir_ / "SCR_12R.jpg";
    std::string error;
    ASSERT_TRUE(Write(path, picture, &error)) << error;

    const std::vector<TMarker> markers = dp::test::JpegHeaderMarkers(ReadBytes(path));
    ASSERT_FALSE(markers.empty()) << "no SOI";
    auto has = [&](uint8_t code) {
        return std::any_of(markers.begin(), markers.end(), [&](const TMarker& m) { return m.code == code; });
    };
    EXPECT_TRUE(has(0xC0)) << "no baseline frame (SOF0)";
    for (uint8_t other : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA, 0xCB})
        EXPECT_FALSE(has(other)) << std::hex << int(other);
    ASSERT_GE(markers.size(), 2u);
    EXPECT_EQ(markers[1].code, 0xE0) << "JFIF APP0 must follow SOI";
    EXPECT_EQ(markers[1].app0Id, std::string("JFIF\0", 5));

    const std::optional<TDecoded> decoded = Decode(path);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->sawJfif);
    EXPECT_FALSE(decoded->progressive);
    EXPECT_EQ(decoded->components, 3);
    EXPECT_EQ(decoded->colourSpace, JCS_YCbCr);
    ASSERT_TRUE(decoded->quantPresent[0] && decoded->quantPresent[1]);
    EXPECT_EQ(decoded->quant[0], ScaledForQuality80(kBaseLuminance));
    EXPECT_EQ(decoded->quant[1], ScaledForQuality80(kBaseChrominance));
    // The library's default sampling: luminance 2 x 2, both chrominance components 1 x 1.
    EXPECT_EQ(decoded->sampling[0][0], 2);
    EXPECT_EQ(decoded->sampling[0][1], 2);
    for (int c = 1; c < 3; ++c) EXPECT_TRUE(decoded->sampling[c][0] == 1 && decoded->sampling[c][1] == 1);
}

struct TRoundTripCase {
    const char* name;
    int width;
    int height;
    int padding;
    double maxMeanError; // narrow pictures lose more at the bar edges to chroma subsampling
};

void PrintTo(const TRoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class JpegRoundTripTest : public JpegWriterTest, public ::testing::WithParamInterface<TRoundTripCase> {};

TEST_P(JpegRoundTripTest, DecodesCloseToTheSourceAndLeavesOnlyTheFile) {
    const TRoundTripCase& c = GetParam();
    const TPicture picture = MakeBars(c.width, c.height, c.padding);
    std::string error;
    ASSERT_TRUE(Write(dir_ / "shot.jpg", picture, &error)) << error;
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"shot.jpg"});

    const std::optional<TDecoded> decoded = Decode(dir_ / "shot.jpg");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, c.width);
    EXPECT_EQ(decoded->height, c.height);
    EXPECT_EQ(decoded->components, 3);
    EXPECT_LT(MeanAbsoluteError(picture, *decoded), c.maxMeanError);
    // Channel order: the middle of the red bar stays red, the blue one blue.
    if (c.width >= 8) {
        const int y = c.height / 2;
        const uint8_t* red = &decoded->rgb[(y * c.width + c.width * 11 / 16) * 3];
        const uint8_t* blue = &decoded->rgb[(y * c.width + c.width * 13 / 16) * 3];
        EXPECT_GT(red[0], red[2] + 100);
        EXPECT_GT(blue[2], blue[0] + 100);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, JpegRoundTripTest,
                         ::testing::Values(TRoundTripCase{"Screenshot802x177", 802, 177, 0, 2.5},
                                           TRoundTripCase{"PaddedRows", 802, 177, 13, 2.5},
                                           TRoundTripCase{"OnePixel", 1, 1, 0, 2.0},
                                           TRoundTripCase{"NotMultipleOfBlock", 131, 21, 2, 8.0},
                                           TRoundTripCase{"OneRow", 300, 1, 0, 4.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- replacing ---------------------------------------------------------------------------------

TEST_F(JpegWriterTest, ReplacesAnExistingFileWithoutAsking) {
    const fs::path path = dir_ / "shot.jpg";
    WriteText(path, "an older file that is not even a JPEG");
    const TPicture first = MakeBars(64, 32);
    ASSERT_TRUE(Write(path, first));
    TPicture second = MakeBars(256, 48);
    for (auto& byte : second.bytes) byte = static_cast<uint8_t>(255 - byte); // another picture, another size
    ASSERT_TRUE(Write(path, second));

    const std::optional<TDecoded> decoded = Decode(path);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 256);
    EXPECT_EQ(decoded->height, 48);
    EXPECT_LT(MeanAbsoluteError(second, *decoded), 4.0);
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"shot.jpg"});
}

TEST_F(JpegWriterTest, ReplacedFileKeepsItsPermissions) {
    const fs::path path = dir_ / "shot.jpg";
    WriteText(path, "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(Write(path, MakeBars(16, 16)));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(JpegWriterTest, NewFileGetsTheUsualPermissions) {
    const mode_t old = ::umask(022);
    const bool written = Write(dir_ / "shot.jpg", MakeBars(16, 16));
    ::umask(old);
    ASSERT_TRUE(written);
    struct stat info {};
    ASSERT_EQ(::stat((dir_ / "shot.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(JpegWriterTest, WritingThroughASymbolicLinkReplacesTheFileItPointsTo) {
    fs::create_directory(dir_ / "real");
    WriteText(dir_ / "real" / "shot.jpg", "old");
    fs::create_symlink("real/shot.jpg", dir_ / "link.jpg");
    ASSERT_TRUE(Write(dir_ / "link.jpg", MakeBars(16, 16)));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.jpg"));
    EXPECT_TRUE(Decode(dir_ / "real" / "shot.jpg"));
    EXPECT_EQ(Entries(dir_ / "real"), std::set<std::string>{"shot.jpg"});
}

TEST_F(JpegWriterTest, BareNameGoesIntoTheCurrentFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    const bool written = Write("SCR_1R.jpg", MakeBars(16, 16));
    fs::current_path(previous);
    ASSERT_TRUE(written);
    EXPECT_TRUE(Decode(dir_ / "SCR_1R.jpg"));
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"SCR_1R.jpg"});
}

TEST_F(JpegWriterTest, NameAtTheLengthLimitIsWritten) {
    std::string name;
    while (name.size() < 250) name += "я"; // two bytes each: the temporary's name must be cut cleanly
    name += ".jpg";
    ASSERT_LE(name.size(), 255u);
    std::string error;
    ASSERT_TRUE(Write(dir_ / name, MakeBars(16, 16), &error)) << error;
    EXPECT_EQ(Entries(dir_), std::set<std::string>{name});
}

// ---- failures ----------------------------------------------------------------------------------

struct TBadArgumentsCase {
    const char* name;
    int width;
    int height;
    int strideDelta; // added to width * 3
    bool nullPixels;
    int quality;
};

void PrintTo(const TBadArgumentsCase& c, std::ostream* os) {
    *os << c.name;
}

class JpegBadArgumentsTest : public JpegWriterTest,
                             public ::testing::WithParamInterface<TBadArgumentsCase> {};

TEST_P(JpegBadArgumentsTest, IsRefusedAndCreatesNothing) {
    const TBadArgumentsCase& c = GetParam();
    const std::vector<uint8_t> pixels(64 * 64 * 3, 128);
    std::string error;
    EXPECT_FALSE(dp::WriteJpegFile((dir_ / "shot.jpg").string(), c.nullPixels ? nullptr : pixels.data(),
                                   c.width, c.height, c.width * 3 + c.strideDelta, c.quality, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(Entries(dir_).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegBadArgumentsTest,
                         ::testing::Values(TBadArgumentsCase{"ZeroWidth", 0, 10, 0, false, 80},
                                           TBadArgumentsCase{"ZeroHeight", 10, 0, 0, false, 80},
                                           TBadArgumentsCase{"NegativeWidth", -5, 10, 0, false, 80},
                                           TBadArgumentsCase{"NegativeHeight", 10, -5, 0, false, 80},
                                           TBadArgumentsCase{"NoPixels", 10, 10, 0, true, 80},
                                           TBadArgumentsCase{"StrideShorterThanRow", 10, 10, -1, false, 80},
                                           TBadArgumentsCase{"QualityZero", 10, 10, 0, false, 0},
                                           TBadArgumentsCase{"QualityAbove100", 10, 10, 0, false, 101}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TBadPathCase {
    const char* name;
    const char* path; // relative to the test's folder
    bool targetIsFolder;
};

void PrintTo(const TBadPathCase& c, std::ostream* os) {
    *os << c.name;
}

class JpegBadPathTest : public JpegWriterTest, public ::testing::WithParamInterface<TBadPathCase> {};

TEST_P(JpegBadPathTest, FailsAndChangesNothing) {
    const TBadPathCase& c = GetParam();
    fs::create_directory(dir_ / "sub");
    if (c.targetIsFolder) fs::create_directory(dir_ / "sub" / "shot.jpg");
    const std::set<std::string> before = Entries(dir_ / "sub");
    std::string error;
    EXPECT_FALSE(Write(dir_ / c.path, MakeBars(32, 16), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"sub"});
    EXPECT_EQ(Entries(dir_ / "sub"), before);
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegBadPathTest,
                         ::testing::Values(TBadPathCase{"MissingFolder", "missing/shot.jpg", false},
                                           TBadPathCase{"MissingNestedFolder", "missing/deeper/shot.jpg",
                                                        false},
                                           TBadPathCase{"TargetIsAFolder", "sub/shot.jpg", true},
                                           TBadPathCase{"NoFileName", "sub/", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JpegWriterTest, EmptyPathFails) {
    std::string error;
    EXPECT_FALSE(dp::WriteJpegFile("", MakeBars(4, 4).bytes.data(), 4, 4, 12, 80, &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(JpegWriterTest, EncoderErrorReturnsFalseAndLeavesTheOldFileUntouched) {
    const fs::path path = dir_ / "shot.jpg";
    ASSERT_TRUE(Write(path, MakeBars(64, 32)));
    const std::vector<uint8_t> old = ReadBytes(path);

    // Wider than a JPEG frame can be: libjpeg's fatal error must come back to us as a failure.
    const TPicture tooWide = MakeBars(70000, 1);
    std::string error;
    EXPECT_FALSE(Write(path, tooWide, &error));
    EXPECT_NE(error.find("JPEG"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"shot.jpg"});

    // The writer still works after the failure.
    EXPECT_TRUE(Write(path, MakeBars(20, 10)));
}

TEST_F(JpegWriterTest, ReadOnlyFolderFails) {
    ::chmod(dir_.c_str(), 0755); // reachable for the unprivileged child
    const fs::path folder = dir_ / "readonly";
    fs::create_directory(folder);
    ::chmod(folder.c_str(), 0555);
    const TPicture picture = MakeBars(32, 16);
    const std::optional<bool> written = RunUnprivileged([&] { return Write(folder / "shot.jpg", picture); });
    if (!written) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_FALSE(*written);
    EXPECT_TRUE(Entries(folder).empty());
}

TEST_F(JpegWriterTest, ReadOnlyExistingFileIsNotReplaced) {
    ::chmod(dir_.c_str(), 0777); // the folder itself is writable, only the file is protected
    const fs::path path = dir_ / "shot.jpg";
    WriteText(path, "protected");
    ::chmod(path.c_str(), 0444);
    const TPicture picture = MakeBars(32, 16);
    const std::optional<bool> written = RunUnprivileged([&] { return Write(path, picture); });
    if (!written) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_FALSE(*written);
    std::vector<uint8_t> expected{'p', 'r', 'o', 't', 'e', 'c', 't', 'e', 'd'};
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"shot.jpg"});
}

TEST_F(JpegWriterTest, DiskFullFailsAndLeavesTheOldFileUntouched) {
    const fs::path small = dir_ / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    mounted_ = small.string();

    const fs::path path = small / "shot.jpg";
    ASSERT_TRUE(Write(path, MakeBars(64, 32)));
    const std::vector<uint8_t> old = ReadBytes(path);

    const TPicture noise = MakeNoise(512, 512); // far more than 64 KB as a JPEG
    std::string error;
    EXPECT_FALSE(Write(path, noise, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(small), std::set<std::string>{"shot.jpg"});
}

} // namespace
