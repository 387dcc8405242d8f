// The entry table's control on Win32: a SysListView32 in report view, one message per call.
#pragma once

#include <string>

#include "frontend/win32/win32_headers.h"
#include "platform/list_view.h"

namespace brindlecot::win32 {

class Win32ListView : public platform::IListView {
  public:
    explicit Win32ListView(HWND hwnd) : m_hwnd(hwnd) {}

    HWND Hwnd() const { return m_hwnd; }

    void InsertColumn(int column, const std::string& header) override;
    void SetExtendedStyle(unsigned style) override;
    void InsertItem(int row, const std::string& title) override;
    void SetItemText(int row, int column, const std::string& text) override;
    std::string GetItemText(int row, int column) const override;
    void DeleteItem(int row) override;
    void DeleteAllItems() override;
    int GetItemCount() const override;
    int GetSelectionMark() const override;
    void SetSelectionMark(int row) override;
    unsigned GetItemState(int row, unsigned mask) const override;
    void SetItemState(int row, unsigned state, unsigned mask) override;
    bool HasHeader() const override;
    int GetHeaderItemCount() const override;
    void SetColumnWidth(int column, int width) override;
    int GetColumnWidth(int column) const override;
    void SetRedraw(bool redraw) override;
    void Invalidate() override;

  private:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hwnd, message, wParam, lParam);
    }

    HWND m_hwnd;
};

}  // namespace brindlecot::win32
