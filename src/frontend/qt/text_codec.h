// Text between the core's byte strings and Qt's strings. The core holds UTF-8; an entry file
// written under Windows holds bytes of its code page that are not UTF-8. Such a byte is shown
// as the Windows-1252 character it most likely stands for, so that it reads and copies as a
// letter. Shown that way, the text alone no longer tells an "é" that was one byte from an "é"
// that was two: the widget that shows bytes keeps them, and FromShownText gives them back for
// every part of the text that the user left as it was.
#pragma once

#include <QString>
#include <string>

namespace brindlecot::qt {

QString ToQString(const std::string& bytes);
// UTF-8 for every character.
std::string FromQString(const QString& text);

// True when the bytes are UTF-8 throughout, so that FromQString(ToQString(bytes)) == bytes.
bool IsUtf8(const std::string& bytes);

// The bytes of `now`, the text of a field that was given `bytes` (and showed `shown`, their
// ToQString) and may have been edited since: the unchanged start and end keep their bytes,
// what lies between them is what the user typed, in UTF-8.
std::string FromShownText(const QString& now, const QString& shown, const std::string& bytes);

}  // namespace brindlecot::qt
