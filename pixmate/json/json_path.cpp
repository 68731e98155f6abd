#include "pixmate/json/json_path.h"

#include <cmath>

#include "pixmate/json/json_text.h"

namespace pixmate::json {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Non-ASCII bytes are taken as identifier characters: script allows most letters there, and
// member names in Chinese are common in scripts.
bool IsIdentifierStart(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == '$' || u >= 0x80;
}

bool IsIdentifierPart(char c) {
    return IsIdentifierStart(c) || IsDigit(c);
}

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    char PeekAt(std::size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    void Skip(std::size_t count = 1) { pos_ += count; }
    bool Take(char c) {
        if (Peek() != c || AtEnd()) return false;
        ++pos_;
        return true;
    }
    void SkipSpace() {
        while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' ||
                            text_[pos_] == '\n')) {
            ++pos_;
        }
    }

    bool ReadIdentifier(std::string& out) {
        if (AtEnd() || !IsIdentifierStart(text_[pos_])) return false;
        std::size_t start = pos_;
        while (!AtEnd() && IsIdentifierPart(text_[pos_])) ++pos_;
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }

    bool ReadHex(int digits, unsigned& value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            int digit = HexDigitValue(PeekAt(static_cast<std::size_t>(i)));
            if (digit < 0 || pos_ + static_cast<std::size_t>(i) >= text_.size()) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        pos_ += static_cast<std::size_t>(digits);
        return true;
    }

    // A script string literal in ' or ", escapes decoded.
    bool ReadQuoted(std::string& out) {
        char quote = Peek();
        Skip();
        out.clear();
        while (!AtEnd()) {
            char c = text_[pos_++];
            if (c == quote) return true;
            if (c == '\r' || c == '\n') return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (AtEnd()) return false;
            char e = text_[pos_++];
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'v':
                    out += '\v';
                    break;
                case '0':
                    if (IsDigit(Peek())) return false;  // legacy octal escapes are not taken
                    out += '\0';
                    break;
                case 'x': {
                    unsigned value;
                    if (!ReadHex(2, value)) return false;
                    AppendCodePoint(out, value);
                    break;
                }
                case 'u': {
                    unsigned unit;
                    if (!ReadHex(4, unit)) return false;
                    if (unit >= 0xD800 && unit <= 0xDBFF && Peek() == '\\' && PeekAt(1) == 'u') {
                        std::size_t save = pos_;
                        Skip(2);
                        unsigned low;
                        if (ReadHex(4, low) && low >= 0xDC00 && low <= 0xDFFF) {
                            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                        } else {
                            pos_ = save;
                        }
                    }
                    AppendCodePoint(out, unit);
                    break;
                }
                case '\r':
                    Take('\n');  // line continuation
                    break;
                case '\n':
                    break;
                default:
                    if (IsDigit(e)) return false;
                    out += e;
            }
        }
        return false;
    }

    // A numeric literal with an optional sign, turned into the key JavaScript would use.
    bool ReadNumberKey(std::string& out) {
        bool negative = false;
        if (Peek() == '+' || Peek() == '-') {
            negative = Peek() == '-';
            Skip();
            SkipSpace();
        }
        std::size_t start = pos_;
        double value;
        if (Peek() == '0' && (PeekAt(1) == 'x' || PeekAt(1) == 'X')) {
            Skip(2);
            while (HexDigitValue(Peek()) >= 0 && !AtEnd()) Skip();
            if (pos_ == start + 2) return false;
        } else {
            std::size_t digits = 0;
            while (IsDigit(Peek()) && !AtEnd()) Skip(), ++digits;
            if (Take('.')) {
                while (IsDigit(Peek()) && !AtEnd()) Skip(), ++digits;
            }
            if (digits == 0) return false;
            if (Peek() == 'e' || Peek() == 'E') {
                Skip();
                if (Peek() == '+' || Peek() == '-') Skip();
                if (!IsDigit(Peek()) || AtEnd()) return false;
                while (IsDigit(Peek()) && !AtEnd()) Skip();
            }
        }
        if (!AtEnd() && IsIdentifierPart(Peek())) return false;  // "1abc"
        value = TextToNumber(text_.substr(start, pos_ - start));
        if (std::isnan(value)) return false;
        out = NumberText(negative ? -value : value);
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string QualifyPath(std::string_view path, std::string_view variable) {
    std::string qualified(variable);
    if (path.empty()) return qualified;
    if (path.front() != '[') qualified += '.';
    qualified += path;
    return qualified;
}

bool SplitMemberExpression(std::string_view expression, std::string_view variable,
                           std::vector<std::string>& keys) {
    keys.clear();
    Scanner scanner(expression);
    scanner.SkipSpace();
    std::string name;
    if (!scanner.ReadIdentifier(name) || name != variable) return false;
    for (;;) {
        scanner.SkipSpace();
        if (scanner.AtEnd()) return true;
        std::string key;
        if (scanner.Take('.')) {
            scanner.SkipSpace();
            if (!scanner.ReadIdentifier(key)) return false;
        } else if (scanner.Take('[')) {
            scanner.SkipSpace();
            bool ok = scanner.Peek() == '\'' || scanner.Peek() == '"' ? scanner.ReadQuoted(key)
                                                                      : scanner.ReadNumberKey(key);
            if (!ok) return false;
            scanner.SkipSpace();
            if (!scanner.Take(']')) return false;
        } else {
            return false;
        }
        keys.push_back(std::move(key));
    }
}

bool ArrayIndexOf(std::string_view key, std::uint32_t& index) {
    if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0')) return false;
    std::uint64_t value = 0;
    for (char c : key) {
        if (!IsDigit(c)) return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value >= 0xFFFFFFFFull) return false;
    index = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace pixmate::json
