// The entry table's display on Win32: the template's SysListView32 in report view. It shows
// what the list control object gives it and reports the selection the user makes in it.
#pragma once

#include <string>
#include <vector>

#include "frontend/win32/win32_headers.h"
#include "platform/list_view.h"

namespace brindlecot::win32 {

// Posted to the list's dialog, with the list's control identifier, after a list view has
// been changed with its drawing held back: the dialog then calls ShowChanges.
constexpr UINT kWmShowListChanges = WM_APP + 0x200;

class Win32ListView : public platform::IListView {
  public:
    Win32ListView(HWND hwnd, int controlId) : m_hwnd(hwnd), m_controlId(controlId) {}

    HWND Hwnd() const { return m_hwnd; }

    void SetEvents(platform::IListViewEvents* events) override { m_events = events; }
    void InsertColumn(int column, const std::string& header) override;
    void SetExtendedStyle(unsigned style) override;
    void InsertRow(int row, const std::vector<std::string>& cells) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    void SetCellText(int row, int column, const std::string& text) override;
    void ShowSelection(int selected, int focused) override;
    void FitColumn(int column) override;

    // A notification of the control, which its dialog hands over: a click, a key, a header
    // click, and a change of the highlight or the focus that this display did not make, are
    // the user's and reported. The control sends the change before the click's NM_CLICK and,
    // for a key, after that key's LVN_KEYDOWN.
    void OnNotify(const NMHDR& header);
    // Draws again what was changed since the drawing was held back.
    void ShowChanges();

  private:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hwnd, message, wParam, lParam);
    }
    void SetState(int row, UINT state, UINT mask);
    int NextItem(UINT flags) const;
    // Holds the drawing back until the message that made the change has been handled: with
    // drawing on, each row inserted has the control lay out its scroll bars and header again,
    // which under Wine is a round trip to the Wine server each time.
    void HoldDrawing();

    // Marks the changes this display makes itself, for as long as it makes them: the control
    // reports them to the dialog as it reports the user's.
    class Applying {
      public:
        explicit Applying(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
        ~Applying() { m_flag = m_before; }
        Applying(const Applying&) = delete;
        Applying& operator=(const Applying&) = delete;

      private:
        bool& m_flag;
        bool m_before;
    };

    HWND m_hwnd;
    int m_controlId;
    platform::IListViewEvents* m_events = nullptr;
    bool m_applying = false;
    bool m_drawingHeld = false;
};

}  // namespace brindlecot::win32
