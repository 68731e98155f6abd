#include "pixmate/link/message_text.h"

#include <cstring>
#include <limits>

namespace pixmate {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the well-formed UTF-8 sequence at text[at], or 0 when it is ill-formed; then
// *subpart is the length of its maximal ill-formed prefix (at least 1).
std::size_t SequenceLength(std::string_view text, std::size_t at, std::size_t* subpart) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
    } else {
        *subpart = 1;
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const bool inRange =
            at + i < text.size() && (i == 1 ? byte(at + i) >= low && byte(at + i) <= high
                                            : byte(at + i) >= 0x80 && byte(at + i) <= 0xBF);
        if (!inRange) {
            *subpart = i;
            return 0;
        }
    }
    return length;
}

// Offset of the first ill-formed sequence, or text.size() when there is none.
std::size_t FirstInvalid(std::string_view text) {
    std::size_t at = 0;
    const std::size_t size = text.size();
    while (at < size) {
        // Runs of ASCII, eight bytes at a time: screenshots arrive as megabytes of Base64.
        while (at + 8 <= size) {
            std::uint64_t chunk;
            std::memcpy(&chunk, text.data() + at, 8);
            if (chunk & 0x8080808080808080ull) break;
            at += 8;
        }
        if (at >= size) break;
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        std::size_t subpart = 0;
        const std::size_t length = SequenceLength(text, at, &subpart);
        if (length == 0) return at;
        at += length;
    }
    return size;
}

std::string ToValidUtf8(std::string text) {
    std::size_t bad = FirstInvalid(text);
    if (bad == text.size()) return text;
    std::string out;
    out.reserve(text.size() + 16);
    out.append(text, 0, bad);
    std::size_t at = bad;
    while (at < text.size()) {
        std::size_t subpart = 0;
        const std::size_t length = SequenceLength(text, at, &subpart);
        if (length == 0) {
            out.append(kReplacement);
            at += subpart;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

}  // namespace

std::string DecodeMessageText(std::string bytes) {
    const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
    if (nul) bytes.resize(static_cast<const char*>(nul) - bytes.data());
    return ToValidUtf8(std::move(bytes));
}

std::string EscapeJsonText(std::string_view code) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(code.size() + code.size() / 8 + 16);
    for (const char c : code) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
            case 0x08:
                out += "\\b";
                break;
            case 0x09:
                out += "\\t";
                break;
            case 0x0A:
                out += "\\n";
                break;
            case 0x0C:
                out += "\\f";
                break;
            case 0x0D:
                out += "\\r";
                break;
            case 0x22:
                out += "\\\"";
                break;
            case 0x5C:
                out += "\\\\";
                break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0x0F];
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string BuildEvalRequest(std::string_view code, std::int32_t callbackToken) {
    const std::string escaped = EscapeJsonText(ToValidUtf8(std::string(code)));
    const std::string token = std::to_string(callbackToken > 0 ? callbackToken : 0);
    std::string request;
    request.reserve(escaped.size() + token.size() + 40);
    request += "{\"fun\":\"eval\",\"data\":\"";
    request += escaped;
    request += "\",\"back\":\"";
    request += token;
    request += "\"}";
    return request;
}

std::int32_t LeadingInteger(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    std::int64_t value = 0;
    bool digits = false;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        digits = true;
        if (value < kLimit) value = value * 10 + (text[at] - '0');
    }
    if (!digits) return 0;
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace pixmate
