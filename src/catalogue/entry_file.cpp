// The entry file "brcot.dat": read once at start-up, written once at the end of the run.
// The bytes and their rules are entry_text's; here the dialog's fields carry each entry
// between the file and the table.
#include <optional>
#include <string>
#include <string_view>

#include "app/brindlecot_dlg.h"
#include "catalogue/entry_text.h"
#include "resources/strings.h"

namespace brindlecot {

namespace {
std::string CountOfEntries(int count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}
}  // namespace

void CBrindlecotDlg::LoadEntryFile() {
    UpdateData(true);
    Wnd().SetCaption(std::string(resources::kProductName) + " ");

    const std::optional<std::string> bytes =
        Platform().FileStore().ReadFileCreating(std::string(entry_text::kFileName));
    m_bEntryFileUnread = !bytes;
    m_bEntryFileForeign = bytes && !bytes->empty();
    m_nLimitBoxesAtLoad = 0;
    m_nDroppedAtLoad = 0;
    if (bytes) {
        entry_text::LineReader lines(*bytes);
        std::string_view line;
        // A session that ends while the load shows a box has saved what was loaded by then;
        // the rest of a long file would only keep the ending process waiting.
        for (size_t lineCount = 0; !m_bRunEnded && lines.Next(line); ++lineCount) {
            const entry_text::ParsedLine parsed = entry_text::ParseLine(line);
            if (parsed.key != entry_text::Key::Other)
                m_bEntryFileForeign = false;
            switch (parsed.key) {
                case entry_text::Key::Title:
                    // An ST line completes the entry before it.
                    if (lineCount > 0 && !m_strTitle.empty()) {
                        UpdateData(false);
                        AddLoadedEntry();
                    }
                    m_strTitle.assign(parsed.value);
                    break;
                case entry_text::Key::Target:
                    m_strTarget.assign(parsed.value);
                    break;
                case entry_text::Key::SortOrder:
                    m_strSortOrder.assign(parsed.value);
                    break;
                case entry_text::Key::Other:
                    break;
            }
            if (!m_strTitle.empty())
                UpdateData(false);
        }
    }

    if (!m_strTitle.empty() && !m_bRunEnded)
        AddLoadedEntry();  // the last entry
    OnClear();
    SortByColumn(COL_SORTORDER);
    UpdateData(false);
    if (m_nDroppedAtLoad > 0 && !m_bRunEnded) {
        Platform().WriteErrorLine("brindlecot: " + std::string(entry_text::kFileName) +
                                  " holds more than " + std::to_string(MAX_ENTRIES) + " entries; " +
                                  std::to_string(m_nDroppedAtLoad) +
                                  " more were dropped without a message");
    }
}

void CBrindlecotDlg::SaveEntryFile() {
    UpdateData(true);

    // The whole content first, bottom row first, each row passing through the fields on its
    // way; the store then replaces the file in one step or leaves it as it was. The rows are
    // read from the bottom rather than reversed and put back, so the table never shows them
    // upside down, not even behind the box below.
    entry_text::Writer writer;
    const int count = m_listEntries.GetItemCount();
    m_nCount = count;
    for (int row = count - 1; row >= 0; --row) {
        LoadRowIntoFields(row);
        writer.AddEntry(m_strTitle, m_strTarget, m_strSortOrder);
    }
    const std::string name(entry_text::kFileName);
    // An unread file is never written over; with nothing of ours to write, a foreign file
    // stays as it was.
    const bool saved =
        !m_bEntryFileUnread && ((count == 0 && m_bEntryFileForeign) ||
                                Platform().FileStore().ReplaceContent(name, writer.Bytes()));
    if (!saved) {
        // Whatever kept the file from being written (it could not be read at start-up, it is
        // read-only, the disk is full), the list goes where the user can find it, and one line
        // says where: at a session's end no one may be there to click a box, and at Quit the
        // box alone would leave the run's entries nowhere.
        std::optional<std::string> kept;
        if (count > 0)
            kept = Platform().FileStore().KeepRecoveryCopy(name, writer.Bytes());
        if (kept) {
            Platform().WriteErrorLine("brindlecot: could not save " + name + "; the list (" +
                                      CountOfEntries(count) + ") is kept in " + *kept);
        } else if (count > 0) {
            Platform().WriteErrorLine("brindlecot: could not save " + name +
                                      ", nor keep its list elsewhere; " + CountOfEntries(count) +
                                      " lost");
        } else if (m_bSessionEnding) {
            Platform().WriteErrorLine("brindlecot: could not save " + name +
                                      "; the list was empty, and the file is as it was");
        }
        // The session will not wait for a box; the ordinary end still shows it.
        if (!m_bSessionEnding)
            ShowMessageBox("Save to File", "Error Writing File", win::kMbOk);
    }

    UpdateData(false);
}

}  // namespace brindlecot
