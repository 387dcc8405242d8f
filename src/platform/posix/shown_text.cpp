#include "platform/posix/shown_text.h"

#include <algorithm>
#include <vector>

namespace brindlecot::platform {

namespace {

constexpr size_t kNoBoundary = static_cast<size_t>(-1);

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined stay the C1 controls of
// the same value, as Windows itself maps them. From 0xA0 on it is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the byte there does not
// begin one (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
size_t SequenceLength(std::string_view s, size_t i, char32_t& codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
        minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    codePoint = cp;
    return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The text for `bytes`; with `offsets`, also the byte offset at which each of its UTF-16 units
// begins (kNoBoundary inside a surrogate pair), and the total length at the end.
std::u16string Decode(std::string_view bytes, std::vector<size_t>* offsets) {
    std::u16string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (offsets)
            offsets->push_back(i);
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t length = SequenceLength(bytes, i, cp);
        if (length == 0) {
            out.push_back(Cp1252(b));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            if (offsets)
                offsets->push_back(kNoBoundary);
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    if (offsets)
        offsets->push_back(bytes.size());
    return out;
}

}  // namespace

std::u16string ShownText(std::string_view bytes) {
    return Decode(bytes, nullptr);
}

bool IsUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t length = SequenceLength(bytes, i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string Utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && text[i] < 0x80)
        ++i;
    out.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(i));  // ASCII: a byte each
    for (; i < n; ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate that no byte stands for
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::string BytesOfEditedText(std::u16string_view now, std::u16string_view shown,
                              const std::string& bytes) {
    if (now == shown)
        return bytes;
    std::vector<size_t> offsets;
    offsets.reserve(bytes.size() + 1);
    if (Decode(bytes, &offsets) != shown)
        return Utf8(now);  // not what these bytes show: nothing to keep
    const size_t n = now.size();
    const size_t m = shown.size();
    size_t prefix = 0;
    while (prefix < n && prefix < m && now[prefix] == shown[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix &&
           now[n - 1 - suffix] == shown[m - 1 - suffix]) {
        ++suffix;
    }
    // Whole characters only: never half of a surrogate pair on either side.
    while (prefix > 0 && offsets[prefix] == kNoBoundary)
        --prefix;
    while (suffix > 0 && offsets[m - suffix] == kNoBoundary)
        --suffix;
    std::string out = bytes.substr(0, offsets[prefix]);
    out += Utf8(now.substr(prefix, n - prefix - suffix));
    out += bytes.substr(offsets[m - suffix]);
    return out;
}

}  // namespace brindlecot::platform
