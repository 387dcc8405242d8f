// libFuzzer target for the entry file's reader: any bytes as "brcot.dat" at start-up, read
// through the main window on the in-memory platform as the program reads them. Checks that the
// load stays within the table's limit and yields cells the writer can write, that the writer
// produces the file's layout, and that the next run reads that file back as it should.
// AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer watch every run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/brindlecot_dlg.h"
#include "catalogue/entry_text.h"
#include "resources/resource.h"
#include "support/entry_file_model.h"
#include "support/fake_platform.h"

namespace {

using brindlecot::CBrindlecotDlg;
using brindlecot::model::Row;
using brindlecot::model::Rows;

void Require(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "entry_file_fuzzer: %s\n", what);
    std::abort();
}

bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Bytes of which no complete line names one of the three keys (the byte rules that decide
// this are held against their references by entry_text_fuzzer).
bool IsForeign(const std::string& bytes) {
    if (bytes.empty())
        return false;
    brindlecot::entry_text::LineReader lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        if (brindlecot::entry_text::ParseLine(line).key != brindlecot::entry_text::Key::Other)
            return false;
    }
    return true;
}

// One run: start-up with the platform's file, then the end of the run, which writes it.
Rows Run(brindlecot::fake::FakePlatform& platform) {
    CBrindlecotDlg dlg(platform);
    brindlecot::fake::FakeDialogWindow& w = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
    Rows rows = w.list.Rows();
    Require(w.ControlText(IDC_COUNT) == std::to_string(rows.size()), "count box");
    platform.Close(w);
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brindlecot::fake::FakePlatform platform;
    platform.files.files["brcot.dat"].assign(reinterpret_cast<const char*>(data), size);

    const Rows loaded = Run(platform);
    Require(loaded.size() <= 50, "more than 50 rows");
    for (const Row& row : loaded) {
        Require(!row[0].empty() && !row[1].empty(), "a row without title or target");
        for (const std::string& cell : row) {
            // A lone CR of the file is a byte of its value; a line end or Ctrl-Z never is.
            Require(cell.find_first_of("\n\x1A") == std::string::npos, "a line end in a cell");
        }
        Require(!IsWhiteSpace(row[0].back()) && !IsWhiteSpace(row[1].back()),
                "trailing white space in a cell");
    }
    for (size_t i = 1; i < loaded.size(); ++i) {
        Require(brindlecot::platform::CompareBytes(loaded[i - 1][2], loaded[i][2]) <= 0,
                "the table is not sorted by sort order");
    }

    const std::string written = platform.files.files["brcot.dat"];
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (loaded.empty() && IsForeign(input)) {
        Require(written == input, "a file without one of our keys was not left as it was");
        return 0;
    }
    Require(written == brindlecot::model::Layout(loaded),
            "the file written does not have the file's layout");

    platform.boxes.clear();
    const Rows again = Run(platform);
    Require(again == brindlecot::model::NextRunOf(loaded), "the written file did not load back");
    Require(platform.boxes.empty(), "a box while loading a written file");
    return 0;
}
