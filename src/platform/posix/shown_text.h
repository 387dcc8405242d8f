// Text on the Linux desktops, between the core's bytes and the UTF-16 a toolkit shows. The core
// holds UTF-8; an entry file written under Windows holds bytes of its code page that are not
// UTF-8. Such a byte is shown as the Windows-1252 character it most likely stands for, so that
// it reads and copies as a letter. Shown that way, the text alone no longer tells an "é" that
// was one byte from an "é" that was two: whatever shows bytes keeps them, and BytesOfEditedText
// gives them back for every part of the text that the user left as it was.
#pragma once

#include <string>
#include <string_view>

namespace brindlecot::platform {

std::u16string ShownText(std::string_view bytes);
// UTF-8 for every character; half of a surrogate pair, which no byte stands for, is U+FFFD.
std::string Utf8(std::u16string_view text);

// True when the bytes are UTF-8 throughout, so that Utf8(ShownText(bytes)) == bytes.
bool IsUtf8(std::string_view bytes);

// The bytes of `now`, the text of a field that was given `bytes` (and showed `shown`, their
// ShownText) and may have been edited since: the unchanged start and end keep their bytes,
// what lies between them is what the user typed, in UTF-8.
std::string BytesOfEditedText(std::u16string_view now, std::u16string_view shown,
                              const std::string& bytes);

}  // namespace brindlecot::platform
