// A main window opened on the in-memory platform, and short ways to act on it as a user does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "support/fake_platform.h"

namespace brindlecot {

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
    // Puts rows straight into the list, top to bottom, bypassing the commands.
    void SetRows(const std::vector<std::array<std::string, 3>>& rows) {
        w->list.rows.clear();
        for (const auto& r : rows)
            w->list.rows.push_back({r, 0});
    }
    std::vector<std::string> Titles() const { return w->list.Column(COL_TITLE); }
    std::vector<std::string> Targets() const { return w->list.Column(COL_TARGET); }
    std::vector<std::string> SortOrders() const { return w->list.Column(COL_SORTORDER); }
    std::string Field(int id) const { return w->ControlText(id); }

    fake::FakePlatform platform;
    CBrindlecotDlg dlg{platform};
    fake::FakeDialogWindow* w = nullptr;
};

using Strings = std::vector<std::string>;

}  // namespace brindlecot
