#include "pixmate/json/json_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace pixmate::json {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// from_chars reports values beyond the double range without a value; JavaScript rounds them to
// Infinity or 0. The decimal magnitude of the first significant digit tells which.
double OutOfRange(std::string_view token) {
    bool negative = !token.empty() && token.front() == '-';
    long magnitude = 0;
    bool seenPoint = false;
    bool seenDigit = false;
    std::size_t i = negative ? 1 : 0;
    for (; i < token.size() && token[i] != 'e' && token[i] != 'E'; ++i) {
        char c = token[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!seenDigit && c == '0') {
            if (seenPoint) --magnitude;
        } else {
            if (!seenPoint) ++magnitude;
            seenDigit = true;
        }
    }
    long exponent = 0;
    if (i < token.size()) {
        ++i;
        bool expNegative = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            expNegative = token[i] == '-';
            ++i;
        }
        for (; i < token.size() && IsDigit(token[i]); ++i) {
            if (exponent < 100000000) exponent = exponent * 10 + (token[i] - '0');
        }
        if (expNegative) exponent = -exponent;
    }
    double result = seenDigit && magnitude + exponent > 0 ? kInfinity : 0.0;
    return negative ? -result : result;
}

// Length of the JavaScript white space or line terminator at the front of text, or 0.
std::size_t WhiteSpaceAt(std::string_view text, std::size_t pos) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
    auto has = [&](std::string_view seq) { return text.substr(pos, seq.size()) == seq; };
    if (has("\xC2\xA0")) return 2;      // no-break space
    if (has("\xEF\xBB\xBF")) return 3;  // byte order mark
    if (has("\xE3\x80\x80")) return 3;  // ideographic space
    if (has("\xE1\x9A\x80")) return 3;  // ogham space mark
    if (has("\xE2\x80\xAF") || has("\xE2\x81\x9F")) return 3;
    if (text.size() - pos >= 3 && c == 0xE2 && static_cast<unsigned char>(text[pos + 1]) == 0x80) {
        unsigned char third = static_cast<unsigned char>(text[pos + 2]);
        if ((third >= 0x80 && third <= 0x8A) || third == 0xA8 || third == 0xA9) return 3;
    }
    return 0;
}

std::string_view TrimWhiteSpace(std::string_view text) {
    std::size_t n;
    while (!text.empty() && (n = WhiteSpaceAt(text, 0)) != 0) text.remove_prefix(n);
    // Trailing: step back over candidates of each width.
    for (bool trimmed = true; trimmed && !text.empty();) {
        trimmed = false;
        for (std::size_t width : {1u, 2u, 3u}) {
            if (text.size() >= width && WhiteSpaceAt(text, text.size() - width) == width) {
                text.remove_suffix(width);
                trimmed = true;
                break;
            }
        }
    }
    return text;
}

// StrDecimalLiteral without sign: digits [. digits] [e [+-] digits], or . digits [exponent].
bool IsDecimalLiteral(std::string_view s) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

void AppendArrayJoin(std::string& out, const rapidjson::Value& array) {
    bool first = true;
    for (const auto& element : array.GetArray()) {
        if (!first) out += ',';
        first = false;
        AppendPlainText(out, element);
    }
}

}  // namespace

void AppendNumberText(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (value == 0) {  // both zeros
        out += '0';
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    if (std::isinf(value)) {
        out += "Infinity";
        return;
    }
    // Shortest round-trip digits, as d.ddde+x.
    char buffer[40];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    char digits[24];
    int k = 0;
    const char* p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.') digits[k++] = *p;
    }
    int exponent = 0;
    if (p < result.ptr) {
        ++p;
        if (*p == '+') ++p;
        std::from_chars(p, result.ptr, exponent);
    }
    int n = exponent + 1;  // the value is 0.digits * 10^n
    if (k <= n && n <= 21) {
        out.append(digits, k);
        out.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out.append(digits, n);
        out += '.';
        out.append(digits + n, k - n);
    } else if (-6 < n && n <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-n), '0');
        out.append(digits, k);
    } else {
        out += digits[0];
        if (k > 1) {
            out += '.';
            out.append(digits + 1, k - 1);
        }
        out += 'e';
        out += n - 1 < 0 ? '-' : '+';
        char expText[8];
        auto expResult = std::to_chars(expText, expText + sizeof expText, std::abs(n - 1));
        out.append(expText, expResult.ptr);
    }
}

std::string NumberText(double value) {
    std::string out;
    AppendNumberText(out, value);
    return out;
}

double JsonNumberToDouble(std::string_view token) {
    double value = 0;
    auto result = std::from_chars(token.data(), token.data() + token.size(), value);
    if (result.ec == std::errc::result_out_of_range) return OutOfRange(token);
    if (result.ec != std::errc()) return kNaN;
    return value;
}

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

double TextToNumber(std::string_view text) {
    text = TrimWhiteSpace(text);
    if (text.empty()) return 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        double value = 0;
        for (char c : text.substr(2)) {
            const int digit = HexDigitValue(c);
            if (digit < 0) return kNaN;
            value = value * 16 + digit;
        }
        return value;
    }
    bool negative = false;
    std::string_view unsignedPart = text;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        unsignedPart.remove_prefix(1);
    }
    if (unsignedPart == "Infinity") return negative ? -kInfinity : kInfinity;
    if (!IsDecimalLiteral(unsignedPart)) return kNaN;
    // from_chars wants neither a plus sign nor a bare leading point.
    std::string token;
    if (negative) token += '-';
    if (unsignedPart[0] == '.') token += '0';
    token += unsignedPart;
    return JsonNumberToDouble(token);
}

void AppendPlainText(std::string& out, const rapidjson::Value& value) {
    switch (value.GetType()) {
        case rapidjson::kNullType:
            break;
        case rapidjson::kFalseType:
            out += "false";
            break;
        case rapidjson::kTrueType:
            out += "true";
            break;
        case rapidjson::kObjectType:
            out += "[object Object]";
            break;
        case rapidjson::kArrayType:
            AppendArrayJoin(out, value);
            break;
        case rapidjson::kStringType:
            out.append(value.GetString(), value.GetStringLength());
            break;
        case rapidjson::kNumberType:
            AppendNumberText(out, value.GetDouble());
            break;
    }
}

void AppendQuotedText(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text.data() + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
        }
    }
    out.append(text.data() + runStart, text.size() - runStart);
    out += '"';
}

void AppendJsonText(std::string& out, const rapidjson::Value& value) {
    switch (value.GetType()) {
        case rapidjson::kNullType:
            out += "null";
            break;
        case rapidjson::kFalseType:
            out += "false";
            break;
        case rapidjson::kTrueType:
            out += "true";
            break;
        case rapidjson::kObjectType: {
            out += '{';
            bool first = true;
            for (const auto& member : value.GetObject()) {
                if (!first) out += ',';
                first = false;
                AppendQuotedText(out, {member.name.GetString(), member.name.GetStringLength()});
                out += ':';
                AppendJsonText(out, member.value);
            }
            out += '}';
            break;
        }
        case rapidjson::kArrayType: {
            out += '[';
            bool first = true;
            for (const auto& element : value.GetArray()) {
                if (!first) out += ',';
                first = false;
                AppendJsonText(out, element);
            }
            out += ']';
            break;
        }
        case rapidjson::kStringType:
            AppendQuotedText(out, {value.GetString(), value.GetStringLength()});
            break;
        case rapidjson::kNumberType: {
            double number = value.GetDouble();
            if (std::isfinite(number)) {
                AppendNumberText(out, number);
            } else {
                out += "null";
            }
            break;
        }
    }
}

namespace {

// The position of the next mark, or npos. memchr finds candidates: a search byte by byte would
// cost more than the copy around it for a multi-megabyte text.
std::size_t FindMark(std::string_view text, std::size_t from) {
    while (from < text.size()) {
        const void* hit = std::memchr(text.data() + from, kBackslashMark[0], text.size() - from);
        if (hit == nullptr) return std::string_view::npos;
        std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (text.substr(at, kBackslashMark.size()) == kBackslashMark) return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace

std::string MarkBackslashes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t runStart = 0;
    for (std::size_t pos; (pos = text.find('\\', runStart)) != std::string_view::npos;) {
        out.append(text.data() + runStart, pos - runStart);
        out += kBackslashMark;
        runStart = pos + 1;
    }
    out.append(text.data() + runStart, text.size() - runStart);
    return out;
}

void UnmarkBackslashes(std::string& text) {
    std::size_t read = FindMark(text, 0);
    if (read == std::string::npos) return;
    std::size_t write = read;
    while (read != std::string::npos) {
        text[write++] = '\\';
        read += kBackslashMark.size();
        std::size_t next = FindMark(text, read);
        std::size_t end = next == std::string::npos ? text.size() : next;
        std::memmove(text.data() + write, text.data() + read, end - read);
        write += end - read;
        read = next;
    }
    text.resize(write);
}

std::string UnmarkedCopy(std::string_view text) {
    std::size_t pos = FindMark(text, 0);
    if (pos == std::string_view::npos) return std::string(text);
    std::string out(text.substr(0, pos));
    while (pos != std::string_view::npos) {
        out += '\\';
        std::size_t from = pos + kBackslashMark.size();
        pos = FindMark(text, from);
        out.append(text.substr(from, pos == std::string_view::npos ? pos : pos - from));
    }
    return out;
}

namespace {

// Decodes one UTF-8 sequence at pos. Malformed bytes count as one unit each, standing for
// themselves, so that no text is ever refused.
unsigned DecodeAt(std::string_view text, std::size_t pos, std::size_t& length) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    length = 1;
    std::size_t need;
    unsigned minimum;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        minimum = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        minimum = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        minimum = 0x10000;
    } else {
        return c;
    }
    if (text.size() - pos <= need) return c;
    unsigned codePoint = c & (0x3Fu >> need);
    for (std::size_t i = 1; i <= need; ++i) {
        unsigned char next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return c;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF) return c;
    length = need + 1;
    return codePoint;
}

}  // namespace

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t pos = 0, length; pos < text.size(); pos += length) {
        units += DecodeAt(text, pos, length) >= 0x10000 ? 2 : 1;
    }
    return units;
}

bool Utf16UnitAt(std::string_view text, std::size_t index, std::string& unit) {
    std::size_t units = 0;
    for (std::size_t pos = 0, length; pos < text.size(); pos += length) {
        unsigned codePoint = DecodeAt(text, pos, length);
        if (codePoint >= 0x10000) {
            if (index == units || index == units + 1) {
                unit.clear();
                unsigned offset = codePoint - 0x10000;
                AppendCodePoint(
                    unit, index == units ? 0xD800 + (offset >> 10) : 0xDC00 + (offset & 0x3FF));
                return true;
            }
            units += 2;
        } else {
            if (index == units) {
                unit.assign(text.substr(pos, length));
                return true;
            }
            ++units;
        }
    }
    return false;
}

void AppendCodePoint(std::string& out, unsigned codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace pixmate::json
