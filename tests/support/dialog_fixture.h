// A main window opened on the in-memory platform, and short ways to act on it as a user does.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "support/fake_platform.h"

namespace brindlecot {

// Puts rows straight into a list control, top to bottom, in place of those it had.
inline void SetListRows(CListCtrl& list, const std::vector<std::array<std::string, 3>>& rows) {
    list.DeleteAllItems();
    for (const auto& r : rows) {
        const int row = list.InsertItem(list.GetItemCount(), r[0]);
        list.SetItemText(row, 1, r[1]);
        list.SetItemText(row, 2, r[2]);
    }
}

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Open(); }
    void TearDown() override {
        if (dlg.HasWindow())
            platform.Close(*w);
    }
    void Open() { w = &platform.Open(dlg, IDD_BRINDLECOT_DIALOG); }
    void CloseWindow() { platform.Close(*w); }

    void Fill(const std::string& title, const std::string& target, const std::string& sort) {
        w->Type(IDC_TITLE, title);
        w->Type(IDC_TARGET, target);
        w->Type(IDC_SORTORDER, sort);
    }
    void Add(const std::string& title, const std::string& target, const std::string& sort) {
        Fill(title, target, sort);
        w->Click(IDC_ADD);
    }
    // Puts rows straight into the list control, top to bottom, bypassing the commands, and
    // shows them.
    void SetRows(const std::vector<std::array<std::string, 3>>& rows) {
        SetListRows(dlg.m_listEntries, rows);
        dlg.FlushControls();
    }
    int Mark() const { return dlg.m_listEntries.GetSelectionMark(); }
    // What the list shows; a command a test called directly is shown first, as the end of
    // the message it would have run in shows it.
    std::vector<std::string> Titles() { return Shown(COL_TITLE); }
    std::vector<std::string> Targets() { return Shown(COL_TARGET); }
    std::vector<std::string> SortOrders() { return Shown(COL_SORTORDER); }
    std::vector<std::string> Shown(int column) {
        dlg.FlushControls();
        return w->list.Column(column);
    }
    std::string Field(int id) const { return w->ControlText(id); }

    fake::FakePlatform platform;
    CBrindlecotDlg dlg{platform};
    fake::FakeDialogWindow* w = nullptr;
};

using Strings = std::vector<std::string>;

}  // namespace brindlecot
