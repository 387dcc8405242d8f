// libFuzzer target for the text the Linux desktops show for the core's bytes, and the bytes of
// a shown text after an edit. The input is an edit (where, how long, where the bytes end), the
// bytes, and the UTF-16 units typed in place of the edited part, lone surrogate halves included.
// Each run holds:
// - the bytes come back unchanged from their shown text exactly when they are UTF-8;
// - whatever is given back as typed text is UTF-8;
// - an unedited text gives back its bytes, an appended one its bytes and the typed part;
// - bytes that are UTF-8 give back the edited text as UTF-8, whatever the edit.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/shown_text.h"

namespace {

namespace pl = brindlecot::platform;

void Require(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "shown_text_fuzzer: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const std::size_t at = data[0];
    const std::size_t length = data[1];
    const std::size_t split = std::min<std::size_t>(data[2], size - 3);
    const std::string bytes(reinterpret_cast<const char*>(data + 3), split);
    std::u16string typed;
    for (std::size_t i = 3 + split; i + 1 < size; i += 2)
        typed.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    const std::u16string shown = pl::ShownText(bytes);
    const std::string back = pl::Utf8(shown);
    Require(pl::IsUtf8(bytes) == (back == bytes),
            "UTF-8 bytes and only they come back as they were");
    Require(pl::IsUtf8(back), "a shown text gives back UTF-8");
    Require(pl::IsUtf8(pl::Utf8(typed)), "typed text gives back UTF-8");
    Require(pl::BytesOfEditedText(shown, shown, bytes) == bytes,
            "an unedited text keeps its bytes");
    Require(pl::BytesOfEditedText(shown + typed, shown, bytes) == bytes + pl::Utf8(typed),
            "an appended text keeps the bytes before it");

    std::u16string now = shown;
    const std::size_t from = std::min(at, now.size());
    now.replace(from, std::min(length, now.size() - from), typed);
    const std::string edited = pl::BytesOfEditedText(now, shown, bytes);
    if (pl::IsUtf8(bytes))
        Require(edited == pl::Utf8(now), "UTF-8 bytes give back the edited text as UTF-8");
    return 0;
}
