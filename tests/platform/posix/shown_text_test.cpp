// Entry text that is not UTF-8 (files written under Windows): shown as the Windows-1252
// characters it most likely is, and given back byte for byte for what the user left unedited.
#include "platform/posix/shown_text.h"

#include <gtest/gtest.h>

namespace brindlecot::platform {
namespace {

TEST(ShownText, BytesShowAsWindows1252AndTypedTextGoesBackAsUtf8) {
    EXPECT_EQ(ShownText("caf\xE9"), u"café");
    EXPECT_EQ(ShownText("\x80 \x93q\x94 \x85"), u"€ “q” …");
    EXPECT_EQ(ShownText("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
    // UTF-8 stays UTF-8, even next to a stray byte; a broken sequence is bytes.
    EXPECT_EQ(ShownText("caf\xC3\xA9\xE9"), u"caféé");
    EXPECT_EQ(ShownText("\xC3("), u"Ã(");
    EXPECT_EQ(ShownText("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(ShownText("\xED\xA0\x80"), u"í\u00A0€");  // an encoded surrogate is three bytes
    EXPECT_EQ(ShownText("\xC0\xAF\xF4\x90\x80\x80"), u"À¯ô\u0090€€");  // overlong, too high
    EXPECT_TRUE(IsUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsUtf8("caf\xE9"));
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsUtf8("\xF0\x9F\x98"));  // cut short
    // What the user typed goes back as UTF-8; half of a surrogate pair (a paste can bring
    // one) stands for no character and becomes U+FFFD, not bytes no reader accepts.
    EXPECT_EQ(Utf8(u"caf\u00e9 \u20ac"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00};
    EXPECT_EQ(Utf8(std::u16string_view(lone, 4)),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST(ShownText, AnEditedTextKeepsTheBytesOfWhatWasNotEdited) {
    const std::string b = "caf\xE9 \x80 \xF0\x9F\x98\x80 end\xFF";
    const std::u16string shown = ShownText(b);
    const auto edited = [&](const std::u16string& now) { return BytesOfEditedText(now, shown, b); };
    EXPECT_EQ(edited(shown), b);
    EXPECT_EQ(edited(shown + u"!"), b + "!");
    EXPECT_EQ(edited(u"> " + shown), "> " + b);
    std::u16string middle = shown;
    middle.replace(middle.find(u'€'), 1, u"€€");
    EXPECT_EQ(edited(middle), "caf\xE9 \x80\xE2\x82\xAC \xF0\x9F\x98\x80 end\xFF");
    std::u16string withoutEnd = shown;
    withoutEnd.erase(withoutEnd.find(u" end"), 4);
    EXPECT_EQ(edited(withoutEnd), "caf\xE9 \x80 \xF0\x9F\x98\x80\xFF");
    EXPECT_EQ(edited(u""), "");
    // A typed "é" is UTF-8 beside the kept byte that looks the same.
    EXPECT_EQ(BytesOfEditedText(u"aéé", u"aé", "a\xE9"), "a\xE9\xC3\xA9");
    // Text these bytes never showed keeps nothing of them.
    EXPECT_EQ(BytesOfEditedText(u"y", u"x\u00E9", "x\xE9"), "y");
    EXPECT_EQ(BytesOfEditedText(u"xz", u"xy", "x\xE9"), "xz");
    // Half of a surrogate pair is never kept alone: one half changed, the pair is retyped.
    const std::string pair = "a\xF0\x9F\x98\x80z";
    std::u16string other = ShownText(pair);
    other[2] = 0xDE01;  // the low half
    EXPECT_EQ(BytesOfEditedText(other, ShownText(pair), pair), "a\xF0\x9F\x98\x81z");
    other = ShownText(pair);
    other[1] = 0xD83E;  // the high half
    EXPECT_EQ(BytesOfEditedText(other, ShownText(pair), pair), "a\xF0\x9F\xA8\x80z");
}

}  // namespace
}  // namespace brindlecot::platform
