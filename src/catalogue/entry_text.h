// The entry file's bytes: the program's own text-mode translation, the reader's line rules and
// the writer's layout (Part 2.3). Standard library only, so that tests, the fuzzer and the
// benchmark can drive it on bytes; the dialog's LoadEntryFile and SaveEntryFile use it with the
// fields as the working record.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindlecot::entry_text {

constexpr std::string_view kFileName = "brcot.dat";
constexpr std::string_view kHeader = "CREATOR=Brindlecot 1.0";
constexpr std::string_view kTitleKey = "ST";
constexpr std::string_view kTargetKey = "URL";
constexpr std::string_view kSortOrderKey = "SORTORDER";
constexpr char kEndOfInput = '\x1A';  // Ctrl-Z: the text-mode stream ends here

// The complete lines of a file's bytes as a text-mode stream reads them, one after the other:
// CR LF and a lone LF end a line (the line end is not part of the line), a lone CR is kept,
// the first 0x1A byte ends the input, and a final line without a line end is never returned.
// The lines are views into the bytes, which must outlive the reader; nothing is copied.
class LineReader {
  public:
    explicit LineReader(std::string_view bytes);
    // The next complete line; false at the end of the input.
    bool Next(std::string_view& line);

  private:
    std::string_view m_rest;
};

// The key a line names, exactly and case-sensitively.
enum class Key { Other, Title, Target, SortOrder };

struct ParsedLine {
    Key key = Key::Other;
    std::string_view value;  // empty for a line without an equals sign
};

// Trailing blanks, tabs, LF, VT, FF and CR (0x20, 0x09 to 0x0D) removed; nothing at the start.
std::string_view TrimTrailingWhiteSpace(std::string_view text);
// A line trimmed at its end and split at its first equals sign.
ParsedLine ParseLine(std::string_view line);

// Appends `text` as a text-mode stream writes it: every LF becomes CR LF, other bytes pass.
void AppendTextMode(std::string& out, std::string_view text);

// The file's bytes, built one entry at a time in file order (the table's bottom row first).
// With no entry the content is empty: not even the header.
class Writer {
  public:
    void AddEntry(std::string_view title, std::string_view target, std::string_view sortOrder);
    const std::string& Bytes() const { return m_bytes; }

  private:
    std::string m_bytes;
    std::string m_buffer;  // one group's lines with LF line ends, before translation
    bool m_bHeaderWritten = false;
};

}  // namespace brindlecot::entry_text
