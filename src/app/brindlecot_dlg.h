// The main window: the entry fields, the entry table, the command buttons, the tray icon's
// callbacks and the end of the run. Its member functions are defined by subsystem:
//   src/app        construction, message map, initialisation, destruction, system menu, Help
//   src/catalogue  the entry table's commands, the ordering, the entry file
//   src/tray       the tray icon, the tray menu, launching
#pragma once

#include <string>
#include <vector>

#include "app/framework.h"
#include "platform/platform.h"

namespace brindlecot {

constexpr win::UINT WM_TRAYNOTIFY = platform::kWmTrayNotify;  // 0x464
constexpr win::UINT TRAY_ICON_ID = 128;
constexpr win::UINT IDM_ABOUTBOX = 0x0010;
constexpr win::UINT ID_TRAYMENU_FIRST = 5001;
constexpr win::UINT ID_TRAYMENU_LAST = 5050;
constexpr int TRAYMENU_MAX_ITEMS = 50;
constexpr int MAX_ENTRIES = 50;
// "Maximum Items Reached" boxes that one load shows at most; further surplus entries of the
// file are dropped without one.
constexpr int kLimitBoxesAtLoad = 3;

// The entry table's columns.
constexpr int COL_TITLE = 0;
constexpr int COL_TARGET = 1;
constexpr int COL_SORTORDER = 2;

class CBrindlecotDlg : public CDialog, public platform::ITrayEvents {
  public:
    explicit CBrindlecotDlg(platform::IPlatform& platform, platform::WindowHandle owner = 0);

    void Detach() override;

    // Members, in declaration order.
    CListCtrl m_listEntries;
    std::string m_strTitle;
    std::string m_strTarget;
    std::string m_strSortOrder;
    int m_nCount = 0;
    platform::IconHandle m_hIcon = 0;

    // ---- Handlers reached through the message map ----
    // These two return false where they leave the message to the platform's default processing.
    bool OnSysCommand(win::UINT nID, win::LPARAM lParam);
    bool OnPaint();
    win::LRESULT OnQueryDragIcon();
    void OnBrowse();
    void OnDestroy();
    void OnAdd();
    void OnUpdate();
    void OnRemove();
    void OnClearAll();
    void OnHelpButton();
    void OnClear();
    void OnClickList(win::NmHdr* pNMHDR, win::LRESULT* pResult);
    // LVN_KEYDOWN: Space loads the focused row as a click on it does.
    void OnKeyDownList(win::NmHdr* pNMHDR, win::LRESULT* pResult);
    void OnColumnClickList(win::NmHdr* pNMHDR, win::LRESULT* pResult);
    void OnTest();
    win::LRESULT OnTrayNotify(win::WPARAM wParam, win::LPARAM lParam);
    void OnTrayCommand(win::UINT nID);
    // The user logs off, the system shuts down or the process is asked to end: the same
    // end-of-run work as the window's destruction, which then does not repeat it.
    win::LRESULT OnEndSession(win::WPARAM wParam, win::LPARAM lParam);
    // The session manager asks for the list while the session may go on (platform::kWmSaveNow):
    // the entry file is written as at the end of the run, with no box, and the run goes on with
    // the fields, the table and the tray icon as they were.
    win::LRESULT OnSaveNow(win::WPARAM wParam, win::LPARAM lParam);

    // ---- The entry table (src/catalogue/entry_table.cpp) ----
    void SetupColumns();
    void AutoSizeColumns();
    void RecountEntries();
    void LoadRowIntoFields(int row);
    int IsDuplicateEntry();
    void AddEntry();
    void AddLoadedEntry();
    void UpdateEntry();
    void RemoveEntry();
    void ClearAllEntries();

    // ---- The ordering (src/catalogue/entry_ordering.cpp) ----
    void SortByColumn(int column);
    void SortByColumnToggle(int column);
    void ReverseRows();

    // ---- The entry file (src/catalogue/entry_file.cpp) ----
    void LoadEntryFile();
    void SaveEntryFile();

    // ---- The tray and launching (src/tray) ----
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ShowTrayMenu(platform::Point point);
    void LaunchTarget(const std::string& target);

    // What the user does with the icon (ITrayEvents); OnTrayNotify turns the icon's callback
    // message into these.
    std::vector<platform::TrayMenuItem> TrayMenuItems() override;
    void OnTrayRestore() override;
    void OnTrayMenuAt(platform::Point point) override;
    void OnTrayItemChosen(unsigned id) override;

  protected:
    bool OnInitDialog() override;
    void OnListRowsShown() override;
    void DoDataExchange(bool saveAndValidate) override;
    bool ProcessMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                        win::LRESULT& result) override;

  private:
    // Reading the fields, writing the entry file and removing the tray icon, once per run.
    void EndOfRun();
    // One full exchange sort by a column; returns the number of exchanges it made.
    int SortPasses(int column);

    bool m_bRunEnded = false;
    // The entry file has been read into the table: before that, the file on disk holds more
    // than the table, and a save on request would write it shorter.
    bool m_bLoaded = false;
    // The entry file was there but could not be read at start-up: its entries are not in the
    // table, so writing the table over it would lose them.
    bool m_bEntryFileUnread = false;
    // The entry file held bytes but no line of ours: someone else's file under our name, left
    // as it was unless the run gives the table something to write.
    bool m_bEntryFileForeign = false;
    // The session is ending or the process was asked to end: no one may be there to answer a
    // box, so the end of the run asks nothing.
    bool m_bSessionEnding = false;
    // Entries of the file beyond the table's limit: the first few are each shown in a box, the
    // rest are counted and reported in one line.
    int m_nLimitBoxesAtLoad = 0;
    int m_nDroppedAtLoad = 0;
};

}  // namespace brindlecot
