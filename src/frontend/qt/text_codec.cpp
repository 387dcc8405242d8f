#include "frontend/qt/text_codec.h"

#include <algorithm>
#include <vector>

namespace brindlecot::qt {

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

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the byte there does not
// begin one (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
size_t SequenceLength(const std::string& s, size_t i, char32_t& codePoint) {
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
QString Decode(const std::string& bytes, std::vector<size_t>* offsets) {
    // Most text is ASCII from end to end: that part is copied in one step, and the careful
    // decoding below starts at the first byte that is not ASCII.
    const auto firstNonAscii = std::find_if(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const auto asciiLength = static_cast<size_t>(firstNonAscii - bytes.begin());
    if (!offsets && asciiLength == bytes.size())
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    out.append(QLatin1String(bytes.data(), static_cast<qsizetype>(asciiLength)));
    if (offsets) {
        for (size_t k = 0; k < asciiLength; ++k)
            offsets->push_back(k);
    }
    size_t i = asciiLength;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (offsets)
            offsets->push_back(i);
        if (b < 0x80) {
            out.append(QChar(static_cast<char16_t>(b)));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t length = SequenceLength(bytes, i, cp);
        if (length == 0) {
            out.append(QChar(Cp1252(b)));
            ++i;
            continue;
        }
        const char32_t ucs4[] = {cp};
        out.append(QString::fromUcs4(ucs4, 1));
        if (offsets && cp >= 0x10000)
            offsets->push_back(kNoBoundary);
        i += length;
    }
    if (offsets)
        offsets->push_back(bytes.size());
    return out;
}

}  // namespace

QString ToQString(const std::string& bytes) {
    return Decode(bytes, nullptr);
}

bool IsUtf8(const std::string& bytes) {
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

std::string FromShownText(const QString& now, const QString& shown, const std::string& bytes) {
    if (now == shown)
        return bytes;
    std::vector<size_t> offsets;
    offsets.reserve(bytes.size() + 1);
    if (Decode(bytes, &offsets) != shown)
        return FromQString(now);  // not what these bytes show: nothing to keep
    const qsizetype n = now.size();
    const qsizetype m = shown.size();
    qsizetype prefix = 0;
    while (prefix < n && prefix < m && now[prefix] == shown[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix &&
           now[n - 1 - suffix] == shown[m - 1 - suffix]) {
        ++suffix;
    }
    // Whole characters only: never half of a surrogate pair on either side.
    while (prefix > 0 && offsets[static_cast<size_t>(prefix)] == kNoBoundary)
        --prefix;
    while (suffix > 0 && offsets[static_cast<size_t>(m - suffix)] == kNoBoundary)
        --suffix;
    const size_t keepFront = offsets[static_cast<size_t>(prefix)];
    const size_t keepBack = offsets[static_cast<size_t>(m - suffix)];
    std::string out = bytes.substr(0, keepFront);
    out += FromQString(now.mid(prefix, n - prefix - suffix));
    out += bytes.substr(keepBack);
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    const qsizetype n = text.size();
    const auto* chars = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype i = 0;
    while (i < n && chars[i] < 0x80)
        ++i;
    out.assign(chars, chars + i);  // each ASCII character is its own byte
    for (; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, text.at(i + 1).unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate that no byte stands for
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace brindlecot::qt
