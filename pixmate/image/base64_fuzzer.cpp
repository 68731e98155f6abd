// Feeds arbitrary bytes to the codecs and the image probe: the scalar and vector paths must agree
// on every input (as a text to decode, as bytes to encode, and as a nearly valid text with one
// byte changed), encoding must round-trip, and nothing may read or write out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "pixmate/image/base64.h"
#include "pixmate/image/cpu_features.h"
#include "pixmate/image/image_probe.h"
#include "pixmate/image/text.h"

namespace {

using pixmate::CodecPath;

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Decodes into a heap block of exactly the documented capacity, so AddressSanitizer catches any
// store past it.
std::vector<std::uint8_t> DecodeExact(std::string_view text, CodecPath path) {
    std::vector<std::uint8_t> out(pixmate::Base64DecodeCapacity(text.size()));
    out.resize(pixmate::Base64DecodeTo(text, out.data(), path));
    return out;
}

void CheckDecode(std::string_view text) {
    const auto scalar = DecodeExact(text, CodecPath::Scalar);
    Require(DecodeExact(text, CodecPath::Avx2) == scalar, "decode paths differ");
    Require(pixmate::Base64Decode(text) == scalar, "allocating decode differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool probed = (pixmate::ProbeProcessorFeatures(), true);
    (void)probed;
    const std::string_view asText(reinterpret_cast<const char*>(data), size);

    CheckDecode(asText);

    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::string encoded = pixmate::Base64Encode(bytes, CodecPath::Scalar);
    Require(pixmate::Base64Encode(bytes, CodecPath::Avx2) == encoded, "encode paths differ");
    Require(encoded.size() == pixmate::Base64EncodedLength(size), "encoded length");
    Require(DecodeExact(encoded, CodecPath::Scalar) == bytes, "scalar round trip");
    Require(DecodeExact(encoded, CodecPath::Avx2) == bytes, "vector round trip");

    // Random bytes are rarely valid Base64: also try the valid text with one byte replaced,
    // position and byte taken from the input.
    if (size >= 3 && !encoded.empty()) {
        std::string mutated = encoded;
        const std::size_t at =
            (std::size_t{data[0]} | (std::size_t{data[1]} << 8)) % mutated.size();
        mutated[at] = static_cast<char>(data[2]);
        CheckDecode(mutated);
    }

    std::int32_t width = -1;
    std::int32_t height = -1;
    pixmate::ProbeImageSize({data, size}, width, height);

    const std::string terminated(asText);
    const std::size_t length = std::strlen(terminated.c_str());
    for (auto path : {pixmate::ScanPath::Word, pixmate::ScanPath::Sse2, pixmate::ScanPath::Avx2}) {
        Require(pixmate::TextLength(terminated.c_str(), path) == length, "text length");
    }
    return 0;
}
