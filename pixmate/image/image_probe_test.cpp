#include "pixmate/image/image_probe.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace pixmate {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kUnset = -7;

struct Size {
    std::int32_t width = kUnset;
    std::int32_t height = kUnset;
    bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Size& s) {
    return os << s.width << " x " << s.height;
}

// Probes a copy in a heap block of exactly the data's size, so that AddressSanitizer sees any read
// past the end.
Size Probe(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size == 0 ? 1 : size]);
    std::copy(data, data + size, copy.get());
    Size s;
    ProbeImageSize({copy.get(), size}, s.width, s.height);
    return s;
}

Size Probe(const Bytes& data) {
    return Probe(data.data(), data.size());
}

void Append(Bytes& out, std::initializer_list<int> bytes) {
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

void AppendBig16(Bytes& out, unsigned v) {
    Append(out, {int(v >> 8) & 0xFF, int(v & 0xFF)});
}

void AppendBig32(Bytes& out, std::uint32_t v) {
    AppendBig16(out, v >> 16);
    AppendBig16(out, v & 0xFFFF);
}

Bytes Png(std::uint32_t width, std::uint32_t height) {
    Bytes png;
    Append(png, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    AppendBig32(png, 13);
    Append(png, {'I', 'H', 'D', 'R'});
    AppendBig32(png, width);
    AppendBig32(png, height);
    Append(png, {8, 6, 0, 0, 0, 0x12, 0x34, 0x56, 0x78});  // depth, colour, ..., CRC
    return png;
}

Bytes Gif(unsigned width, unsigned height) {
    Bytes gif;
    Append(gif, {'G', 'I', 'F', '8', '9', 'a'});
    Append(gif, {int(width & 0xFF), int(width >> 8), int(height & 0xFF), int(height >> 8)});
    Append(gif, {0xF7, 0, 0, ';'});
    return gif;
}

void AppendSegment(Bytes& out, int code, const Bytes& body) {
    Append(out, {0xFF, code});
    AppendBig16(out, static_cast<unsigned>(body.size() + 2));
    out.insert(out.end(), body.begin(), body.end());
}

// SOI, the JFIF APP0 segment, a quantisation table, optional fill bytes, then a frame header.
// frameAt receives the position of the frame header's code byte.
Bytes Jpeg(int frameCode, unsigned width, unsigned height, std::size_t* frameAt = nullptr,
           int fillBytes = 0) {
    Bytes jpeg;
    Append(jpeg, {0xFF, 0xD8});
    AppendSegment(jpeg, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 72, 0, 72, 0, 0});
    AppendSegment(jpeg, 0xDB, Bytes(65, 0x10));
    for (int i = 0; i < fillBytes; ++i) jpeg.push_back(0xFF);
    Bytes frame;
    Append(frame, {8});
    AppendBig16(frame, height);
    AppendBig16(frame, width);
    Append(frame, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    if (frameAt) *frameAt = jpeg.size() + 1;
    AppendSegment(jpeg, frameCode, frame);
    Append(jpeg, {0xFF, 0xD9});
    return jpeg;
}

TEST(ProbeImageSize, ReadsTheSizeOfEachFormat) {
    EXPECT_EQ(Probe(Png(1080, 2340)), (Size{1080, 2340}));
    EXPECT_EQ(Probe(Png(1, 65535)), (Size{1, 65535}));
    EXPECT_EQ(Probe(Gif(320, 200)), (Size{320, 200}));
    EXPECT_EQ(Probe(Gif(65535, 1)), (Size{65535, 1}));
    EXPECT_EQ(Probe(Jpeg(0xC0, 1080, 2340)), (Size{1080, 2340}));        // baseline
    EXPECT_EQ(Probe(Jpeg(0xC1, 640, 480)), (Size{640, 480}));            // extended
    EXPECT_EQ(Probe(Jpeg(0xC2, 720, 1600)), (Size{720, 1600}));          // progressive
    EXPECT_EQ(Probe(Jpeg(0xC3, 3, 4)), (Size{3, 4}));                    // lossless
    EXPECT_EQ(Probe(Jpeg(0xC0, 100, 50, nullptr, 5)), (Size{100, 50}));  // fill bytes first
}

TEST(ProbeImageSize, ReadsPngSizesBeyond16Bits) {
    EXPECT_EQ(Probe(Png(70000, 65536)), (Size{70000, 65536}));
    EXPECT_EQ(Probe(Png(0x7FFFFFFF, 1)), (Size{0x7FFFFFFF, 1}));
    // A size with the top bit set is not a PNG size.
    EXPECT_EQ(Probe(Png(0x80000000u, 1)), Size{});
}

TEST(ProbeImageSize, LeavesOtherDataUnchanged) {
    Bytes bmp;
    Append(bmp, {'B', 'M', 0x36, 0,    0x30, 0, 0, 0,    0, 0, 0x36, 0, 0, 0,  40,
                 0,   0,   0,    0x38, 4,    0, 0, 0x24, 9, 0, 0,    1, 0, 32, 0});
    EXPECT_EQ(Probe(bmp), Size{});
    Bytes exif = Jpeg(0xC0, 10, 20);
    exif[3] = 0xE1;  // APP1 (Exif) instead of JFIF's APP0
    EXPECT_EQ(Probe(exif), Size{});
    EXPECT_EQ(Probe(Bytes{0x89, 'P', 'N'}), Size{});
    EXPECT_EQ(Probe(Bytes{}), Size{});
}

TEST(ProbeImageSize, JpegWithoutFrameHeaderLeavesSizesUnchanged) {
    Bytes jpeg;
    Append(jpeg, {0xFF, 0xD8});
    AppendSegment(jpeg, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 72, 0, 72, 0, 0});
    AppendSegment(jpeg, 0xDB, Bytes(65, 0x10));
    Append(jpeg, {0xFF, 0xD9});
    EXPECT_EQ(Probe(jpeg), Size{});
}

TEST(ProbeImageSize, SegmentLengthsNeverLeadOutsideTheData) {
    // A length pointing far past the end, and lengths 0 and 1 that barely advance.
    for (unsigned length : {0xFFFFu, 0x1000u, 70u, 0u, 1u}) {
        SCOPED_TRACE(length);
        Bytes jpeg;
        Append(jpeg, {0xFF, 0xD8, 0xFF, 0xE0});
        AppendBig16(jpeg, length);
        Append(jpeg, {'J', 'F', 'I', 'F', 0, 0xFF, 0xFF, 0xFF});
        EXPECT_EQ(Probe(jpeg), Size{});
    }
    // Nothing but fill bytes after the start.
    Bytes fill(1000, 0xFF);
    fill[1] = 0xD8;
    fill[3] = 0xE0;
    EXPECT_EQ(Probe(fill), Size{});
}

// Every prefix of every format: the size appears exactly once the bytes that hold it are there.
TEST(ProbeImageSize, TruncatedDataAtEveryLength) {
    std::size_t frameAt = 0;
    const Bytes jpeg = Jpeg(0xC0, 1080, 2340, &frameAt);
    struct Case {
        const char* name;
        Bytes data;
        std::size_t needed;
        Size size;
    };
    const Case cases[] = {
        {"PNG", Png(1080, 2340), 24, {1080, 2340}},
        {"GIF", Gif(320, 200), 10, {320, 200}},
        {"JPEG", jpeg, frameAt + 8, {1080, 2340}},
    };
    for (const Case& c : cases) {
        for (std::size_t length = 0; length <= c.data.size(); ++length) {
            const Size expected = length >= c.needed ? c.size : Size{};
            ASSERT_EQ(Probe(c.data.data(), length), expected) << c.name << " cut to " << length;
        }
    }
}

}  // namespace
}  // namespace pixmate
