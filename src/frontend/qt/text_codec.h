// Qt's strings for the core's bytes, by the desktops' text rules (platform/posix/shown_text.h):
// UTF-8 shown as it is, any other byte as the Windows-1252 character it most likely stands for.
#pragma once

#include <QString>
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/posix/shown_text.h"

namespace brindlecot::qt {

inline std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

inline QString ToQString(const std::string& bytes) {
    // Most text is ASCII from end to end, which Qt takes in one step.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    const std::u16string shown = platform::ShownText(bytes);
    return QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size()));
}

inline std::string FromQString(const QString& text) {
    return platform::Utf8(View(text));
}

using platform::IsUtf8;

// The bytes of a field's text `now`, which showed `shown` for `bytes` before the user's edits.
inline std::string FromShownText(const QString& now, const QString& shown,
                                 const std::string& bytes) {
    return platform::BytesOfEditedText(View(now), View(shown), bytes);
}

}  // namespace brindlecot::qt
