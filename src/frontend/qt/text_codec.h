// Text between the core's byte strings and Qt's strings. The core holds UTF-8; bytes that are
// not UTF-8 (an entry file written under a Windows code page) must survive a trip through the
// window's controls, so each such byte is carried as one lone surrogate U+DC80..U+DCFF and
// turned back into the same byte on the way out.
#pragma once

#include <QString>
#include <string>

namespace brindlecot::qt {

QString ToQString(const std::string& bytes);
std::string FromQString(const QString& text);

}  // namespace brindlecot::qt
