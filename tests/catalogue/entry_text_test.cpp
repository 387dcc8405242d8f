// The entry file's byte rules on their own: the text-mode lines, the line parser and the
// writer's layout.
#include "catalogue/entry_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brindlecot::entry_text {
namespace {

using Strings = std::vector<std::string>;

Strings Lines(std::string_view bytes) {
    Strings out;
    LineReader reader(bytes);
    std::string_view line;
    while (reader.Next(line))
        out.emplace_back(line);
    return out;
}

TEST(EntryTextLines, CrLfAndLoneLfEndALineAndALoneCrIsKept) {
    EXPECT_EQ(Lines("a\r\nb\nc\rd\r\n"), (Strings{"a", "b", "c\rd"}));
    EXPECT_EQ(Lines("\r\n\n\r\r\n"), (Strings{"", "", "\r"}));
    // CR CR LF: the first CR is alone and stays, the second belongs to the line end.
    EXPECT_EQ(Lines("x\r\r\n"), (Strings{"x\r"}));
    // LF CR: the CR begins the next line.
    EXPECT_EQ(Lines("x\n\ry\n"), (Strings{"x", "\ry"}));
}

TEST(EntryTextLines, AFinalLineWithoutALineEndIsDropped) {
    EXPECT_EQ(Lines("a\nlast"), (Strings{"a"}));
    EXPECT_EQ(Lines("a\nlast\r"), (Strings{"a"}));
    EXPECT_EQ(Lines("no line end"), Strings{});
    EXPECT_EQ(Lines(""), Strings{});
}

TEST(EntryTextLines, TheFirstCtrlZEndsTheInput) {
    EXPECT_EQ(Lines("a\nb\x1A\nc\n"), (Strings{"a"}));  // "b" has lost its line end
    EXPECT_EQ(Lines("a\n\x1A"
                    "b\n"),
              (Strings{"a"}));
    EXPECT_EQ(Lines("\x1A\n"), Strings{});
    EXPECT_EQ(Lines(std::string_view("a\0b\n", 4)), (Strings{std::string("a\0b", 3)}));
}

TEST(EntryTextLines, LinesAreViewsIntoTheBytes) {
    const std::string bytes = "ST=x\r\nURL=y\n";
    LineReader reader(bytes);
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.data(), bytes.data());
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.data(), bytes.data() + 6);
    EXPECT_FALSE(reader.Next(line));
    EXPECT_FALSE(reader.Next(line));
}

TEST(EntryTextParse, TrailingWhiteSpaceIsTrimmedLeadingIsKept) {
    EXPECT_EQ(TrimTrailingWhiteSpace("  a b \t\n\v\f\r "), "  a b");
    EXPECT_EQ(TrimTrailingWhiteSpace(" \t"), "");
    // Only 0x20 and 0x09 to 0x0D are white space: not 0x08, 0x0E, 0x1F, 0xA0 or NUL.
    for (const char c : {'\x08', '\x0E', '\x1F', '\xA0', '\0'}) {
        const std::string text = std::string("a") + c;
        EXPECT_EQ(TrimTrailingWhiteSpace(text), text) << int(static_cast<unsigned char>(c));
    }
}

TEST(EntryTextParse, KeysAreExactAndTheValueIsAllAfterTheFirstEqualsSign) {
    struct Case {
        std::string line;
        Key key;
        std::string value;
    };
    const Case cases[] = {
        {"ST=Calc", Key::Title, "Calc"},
        {"URL=calc.exe", Key::Target, "calc.exe"},
        {"SORTORDER=01", Key::SortOrder, "01"},
        {"ST=a=b", Key::Title, "a=b"},
        {"ST==", Key::Title, "="},
        {"ST=  lead  \t", Key::Title, "  lead"},
        {"ST", Key::Title, ""},
        {"ST   ", Key::Title, ""},
        {"URL=", Key::Target, ""},
        {"st=x", Key::Other, "x"},
        {" ST=x", Key::Other, "x"},
        {"ST =x", Key::Other, "x"},
        {"STX=x", Key::Other, "x"},
        {"Url=x", Key::Other, "x"},
        {"CREATOR=Brindlecot 1.0", Key::Other, "Brindlecot 1.0"},
        {"", Key::Other, ""},
        {"=x", Key::Other, "x"},
        {"no equals sign", Key::Other, ""},
    };
    for (const Case& c : cases) {
        const ParsedLine parsed = ParseLine(c.line);
        EXPECT_EQ(parsed.key, c.key) << c.line;
        EXPECT_EQ(parsed.value, c.value) << c.line;
    }
}

TEST(EntryTextWrite, TextModeTurnsEveryLfIntoCrLfAndNothingElse) {
    std::string out = "x";
    AppendTextMode(out, "a\nb\r\n\n\rc");
    EXPECT_EQ(out, "xa\r\nb\r\r\n\r\n\rc");
}

TEST(EntryTextWrite, NoEntryIsZeroBytes) {
    Writer writer;
    EXPECT_EQ(writer.Bytes(), "");
}

TEST(EntryTextWrite, OneEntryHasTheHeaderThreeLinesAndAFinalLineEnd) {
    Writer writer;
    writer.AddEntry("Calc", "calc.exe", "01");
    EXPECT_EQ(writer.Bytes(),
              "CREATOR=Brindlecot 1.0\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n");
}

TEST(EntryTextWrite, GroupsAreSeparatedByOneEmptyLineAndValuesPassUnchanged) {
    Writer writer;
    writer.AddEntry("a=b ", "", "");
    writer.AddEntry("\xC3\xA9t\xC3\xA9", "x", "5");
    EXPECT_EQ(writer.Bytes(),
              "CREATOR=Brindlecot 1.0\r\nST=a=b \r\nURL=\r\nSORTORDER=\r\n\r\n"
              "ST=\xC3\xA9t\xC3\xA9\r\nURL=x\r\nSORTORDER=5\r\n");
}

}  // namespace
}  // namespace brindlecot::entry_text
