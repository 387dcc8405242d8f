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

void CBrindlecotDlg::LoadEntryFile() {
    UpdateData(true);
    Wnd().SetCaption(std::string(resources::kProductName) + " ");

    const std::optional<std::string> bytes =
        Platform().FileStore().ReadFileCreating(std::string(entry_text::kFileName));
    m_bEntryFileUnread = !bytes;
    if (bytes) {
        entry_text::LineReader lines(*bytes);
        std::string_view line;
        for (size_t lineCount = 0; lines.Next(line); ++lineCount) {
            const entry_text::ParsedLine parsed = entry_text::ParseLine(line);
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

    if (!m_strTitle.empty())
        AddLoadedEntry();  // the last entry
    OnClear();
    SortByColumn(COL_SORTORDER);
    UpdateData(false);
}

void CBrindlecotDlg::SaveEntryFile() {
    ReverseRows();
    m_listEntries.SetRedraw(false);
    UpdateData(true);

    // The whole content first, bottom row first; the store then replaces the file in one step
    // or leaves it as it was.
    entry_text::Writer writer;
    const int count = m_listEntries.GetItemCount();
    for (int row = 0; row < count; ++row) {
        LoadRowIntoFields(row);
        writer.AddEntry(m_strTitle, m_strTarget, m_strSortOrder);
    }
    if (m_bEntryFileUnread || !Platform().FileStore().ReplaceContent(
                                  std::string(entry_text::kFileName), writer.Bytes())) {
        ShowMessageBox("Save to File", "Error Writing File", win::kMbOk);
    }

    ReverseRows();
    m_listEntries.SetRedraw(true);
    m_listEntries.Invalidate();
    UpdateData(false);
}

}  // namespace brindlecot
