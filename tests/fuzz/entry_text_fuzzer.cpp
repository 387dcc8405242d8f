// libFuzzer target for the entry file's byte rules alone, without the dialog: fast enough to
// make millions of runs. Each run holds the routines of entry_text against plain references:
// - the line reader against a reader that takes one byte at a time, as a text-mode stream does;
// - the trimming and the split at the first equals sign against a byte-by-byte reference;
// - the text-mode writer against a reference translation;
// - entries cut from the input through the writer and the reader again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/entry_text.h"
#include "support/entry_file_model.h"

namespace {

namespace et = brindlecot::entry_text;

void Require(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "entry_text_fuzzer: %s\n", what);
    std::abort();
}

// A text-mode stream read one byte at a time: CR LF gives LF, a lone CR stays, 0x1A ends the
// input; a line is complete at its LF, and what follows the last LF is never a line.
std::vector<std::string> ReferenceLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\x1A')
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            c = '\n';
            ++i;
        }
        if (c == '\n') {
            lines.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    return lines;
}

bool ReferenceWhiteSpace(unsigned char c) {
    return c == 0x20 || c == 0x09 || c == 0x0A || c == 0x0B || c == 0x0C || c == 0x0D;
}

struct ReferenceParsed {
    std::string key;
    std::string value;
};

ReferenceParsed ReferenceParse(std::string line) {
    while (!line.empty() && ReferenceWhiteSpace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    ReferenceParsed parsed;
    bool inValue = false;
    for (char c : line) {
        if (!inValue && c == '=') {
            inValue = true;
            continue;
        }
        (inValue ? parsed.value : parsed.key).push_back(c);
    }
    return parsed;
}

et::Key ReferenceKey(const std::string& key) {
    if (key == "ST")
        return et::Key::Title;
    if (key == "URL")
        return et::Key::Target;
    if (key == "SORTORDER")
        return et::Key::SortOrder;
    return et::Key::Other;
}

std::string ReferenceTextMode(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\r\n";
        else
            out.push_back(c);
    }
    return out;
}

// Cells for the writer, cut from the input at 0x00 bytes: a cell can hold any byte but a line
// end (the cells come from single-line fields), so CR, LF and 0x1A are taken out.
std::vector<brindlecot::model::Row> RowsFrom(std::string_view bytes) {
    std::vector<std::string> cells;
    std::string cell;
    for (char c : bytes) {
        if (c == '\0') {
            cells.push_back(cell);
            cell.clear();
        } else if (c != '\r' && c != '\n' && c != '\x1A') {
            cell.push_back(c);
        }
    }
    cells.push_back(cell);
    std::vector<brindlecot::model::Row> rows;
    for (size_t i = 0; i + 3 <= cells.size() && rows.size() < 50; i += 3)
        rows.push_back({cells[i], cells[i + 1], cells[i + 2]});
    return rows;
}

void CheckReader(std::string_view bytes) {
    const std::vector<std::string> expected = ReferenceLines(bytes);
    et::LineReader reader(bytes);
    std::string_view line;
    size_t n = 0;
    while (reader.Next(line)) {
        Require(n < expected.size(), "the reader returned a line too many");
        Require(line == expected[n], "a line differs from the byte-at-a-time reader");
        const ReferenceParsed want = ReferenceParse(expected[n]);
        const et::ParsedLine got = et::ParseLine(line);
        Require(got.key == ReferenceKey(want.key), "the key differs");
        Require(got.value == want.value, "the value differs");
        ++n;
    }
    Require(n == expected.size(), "the reader lost a line");
    Require(!reader.Next(line), "the reader went on after its end");
}

void CheckWriter(std::string_view bytes) {
    std::string translated;
    et::AppendTextMode(translated, bytes);
    Require(translated == ReferenceTextMode(bytes), "text-mode translation differs");

    // The writer's rows come back through the reader: each cell with its trailing white
    // space trimmed, in the order they were written.
    const std::vector<brindlecot::model::Row> rows = RowsFrom(bytes);
    et::Writer writer;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        writer.AddEntry((*row)[0], (*row)[1], (*row)[2]);
    Require(writer.Bytes() == brindlecot::model::Layout(rows), "the writer's layout differs");

    std::vector<brindlecot::model::Row> read;
    brindlecot::model::Row current;
    bool open = false;
    et::LineReader reader(writer.Bytes());
    std::string_view line;
    while (reader.Next(line)) {
        const et::ParsedLine parsed = et::ParseLine(line);
        switch (parsed.key) {
            case et::Key::Title:
                if (open)
                    read.insert(read.begin(), current);
                current[0].assign(parsed.value);
                open = true;
                break;
            case et::Key::Target:
                current[1].assign(parsed.value);
                break;
            case et::Key::SortOrder:
                current[2].assign(parsed.value);
                break;
            case et::Key::Other:
                break;
        }
    }
    if (open)
        read.insert(read.begin(), current);
    Require(read.size() == rows.size(), "a written entry did not come back");
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t c = 0; c < 3; ++c) {
            const std::string want(et::TrimTrailingWhiteSpace(rows[i][c]));
            Require(read[i][c] == want, "a written cell came back changed");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckReader(bytes);
    CheckWriter(bytes);
    return 0;
}
