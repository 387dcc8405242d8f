// A main window whose start-up finds a given "brcot.dat" on the in-memory platform, and the
// next run that reads what this one wrote.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/dialog_fixture.h"
#include "support/entry_file_model.h"

namespace brindlecot {

using model::Row;
using model::Rows;

// The worked example of the file format: row 0 Calc, row 1 Notes, written bottom-up in 104 bytes.
inline const std::string kWorkedExample =
    "CREATOR=Brindlecot 1.0\r\n"
    "ST=Notes\r\nURL=notepad.exe\r\nSORTORDER=02\r\n"
    "\r\n"
    "ST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n";

class EntryFileTest : public DialogTest {
  protected:
    void SetUp() override {}  // each test starts the run itself

    // Starts the run of the fixture's window with `file` as the entry file (none: missing).
    void Start(const std::optional<std::string>& file) {
        PutFile(file);
        Open();
    }
    void PutFile(const std::optional<std::string>& file) {
        if (file) {
            platform.files.files["brcot.dat"] = *file;
        } else {
            platform.files.files.erase("brcot.dat");
        }
    }
    bool FileExists() const { return platform.files.files.count("brcot.dat") == 1; }
    std::string File() const { return FileExists() ? platform.files.files.at("brcot.dat") : ""; }
    // Ends this run and returns the file it left.
    std::string End() {
        CloseWindow();
        return File();
    }
    // The next run in the same working directory, with a new main window: what it loads from
    // the file this one left, or from `file` when one is given.
    Rows NextRun(const std::optional<std::string>& file = std::nullopt) {
        if (file)
            PutFile(file);
        CBrindlecotDlg next(platform);
        fake::FakeDialogWindow& window = platform.Open(next, IDD_BRINDLECOT_DIALOG);
        Rows rows = window.list.Rows();
        platform.Close(window);
        return rows;
    }
    Rows Table() {
        dlg.FlushControls();
        return w->list.Rows();
    }
    int LimitBoxes() const {
        int n = 0;
        for (const auto& b : platform.boxes) {
            n += b.text == "Maximum Items Reached" &&
                 b.caption == "The maximum number of entries is 50." && b.type == win::kMbOk &&
                 b.owner != 0;
        }
        return n;
    }
    int SaveBoxes() const {
        int n = 0;
        for (const auto& b : platform.boxes) {
            n += b.text == "Save to File" && b.caption == "Error Writing File" &&
                 b.type == win::kMbOk && b.owner != 0;
        }
        return n;
    }
};

}  // namespace brindlecot
