// A small application framework over the platform seam: a modal dialog base with field
// exchange, and a list-control wrapper. It gives the program's classes the shape they would
// have on a Windows framework while staying portable.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/list_view.h"
#include "platform/platform.h"

namespace brindlecot {

// The entry table's control as the dialog holds it, and the keeper of its rows: their cells,
// their selected and focused state, the selection mark and the columns live here, with the rules
// the program relies on, whatever shows them. A display (platform::IListView), bound by the
// first field exchange, is brought in step by Flush with as few calls as the change needs; until
// one is bound, and after it is gone, the rows are kept all the same.
class CListCtrl : public platform::IListViewEvents {
  public:
    CListCtrl() = default;
    CListCtrl(const CListCtrl&) = delete;
    CListCtrl& operator=(const CListCtrl&) = delete;
    ~CListCtrl() override = default;

    // Binds a display that shows nothing yet and shows it the whole control; Detach lets the
    // display go and, as the control's window is then gone, its rows and columns with it. What
    // the user does on the display reaches `owner` as the list view's notifications (WM_NOTIFY
    // from control `controlId`).
    void Attach(platform::IListView* view, platform::IDialogHandler* owner = nullptr,
                int controlId = 0);
    void Detach();
    bool IsAttached() const { return m_pView != nullptr; }

    // Columns are appended, whatever position is asked; they reach a bound display at once.
    void InsertColumn(int column, const std::string& header);
    void SetExtendedStyle(unsigned style);

    // Inserts a row whose first cell is `title` at `row` (clamped to the rows there are) and
    // returns where it went. The rows from there on move down one with their state, and a mark
    // at or below moves down with its row.
    int InsertItem(int row, const std::string& title);
    // Replaces one cell; a row or column that does not exist is left alone.
    void SetItemText(int row, int column, const std::string& text);
    // The cell's whole text; empty for a row or column that does not exist.
    std::string GetItemText(int row, int column) const;
    // Removes a row; the rows below move up one. The mark is not cleared: a mark below moves up
    // with its row, a mark on the row stays on its position, and a mark past the new last row
    // moves to that row (-1 when none is left), as the common controls do.
    void DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    // Swaps two rows whole, cells and state; the mark moves with its row.
    void ExchangeRows(int i, int j);

    // The row the user last selected, by mouse or keyboard, or as the program set it.
    int GetSelectionMark() const { return m_nMark; }
    void SetSelectionMark(int row) { m_nMark = row; }
    // The LVIS_SELECTED / LVIS_FOCUSED bits. A single-selection list: selecting or focusing a
    // row takes that bit from every other row.
    unsigned GetItemState(int row, unsigned mask) const;
    void SetItemState(int row, unsigned state, unsigned mask);

    // Asks the display to fit a column to its cells and header at the next Flush.
    void FitColumn(int column);

    // Brings the bound display in step: rows gone are deleted, new rows inserted at their place
    // with their cells, cells that differ set, then the selection if it differs and the columns
    // asked to be fitted. Nothing is sent when nothing changed. True when rows or cells were
    // shown anew.
    bool Flush();

    // The user changed the selection on the display: the rows' state follows, and the mark
    // goes to a newly selected row (a click on empty space, selecting nothing, keeps it).
    void OnUserSelection(int selected, int focused) override;
    void OnUserClick() override;
    void OnUserKey(std::uint16_t virtualKey) override;
    void OnUserColumnClick(int column) override;

  private:
    struct Row {
        std::uint64_t id = 0;  // which row of the control this is, for the display's sake
        std::vector<std::string> cells;
        unsigned state = 0;
    };
    bool IsRow(int row) const { return row >= 0 && row < GetItemCount(); }
    // The first row with any of `bit`, or -1.
    int FirstWith(unsigned bit) const;
    // Brings the display's rows in step (Flush's first part); true when it changed any.
    bool FlushRows();
    // Sends the owner WM_NOTIFY with `record`, which begins with its NmHdr.
    void Notify(win::NmHdr& header);

    platform::IListView* m_pView = nullptr;
    platform::IDialogHandler* m_owner = nullptr;
    int m_controlId = 0;
    std::vector<std::string> m_headers;
    unsigned m_extendedStyle = 0;
    std::vector<Row> m_rows;
    int m_nMark = -1;
    std::uint64_t m_nextId = 1;
    std::vector<int> m_fitsAsked;  // ascending, each column once

    // What the display shows: each row's identity and cells, and the highlighted and focused
    // rows (-1 for none). Meaningful only while a display is bound.
    std::vector<Row> m_shown;
    int m_shownSelected = -1;
    int m_shownFocused = -1;
    // A row went in or out at or above a shown selection: where the display now highlights is
    // its own affair, so the selection is shown again.
    bool m_shownSelectionMoved = false;
    bool m_dirty = false;
    // A display may deliver the window's messages while it is being brought in step.
    bool m_flushing = false;
};

// A modal dialog built from a template. Messages reach OnMessage; the derived class's own map
// (ProcessMessage) is asked first, then the framework's entries (OK, Cancel, Help). A Cancel
// command that nothing handled still ends the dialog; every other message nothing handled is
// reported unhandled, so that the front end's default processing runs.
class CDialog : public platform::IDialogHandler {
  public:
    CDialog(platform::IPlatform& platform, int templateId, platform::WindowHandle owner = 0);
    ~CDialog() override = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the window, runs it modally and returns the EndDialog result (-1 when the
    // template cannot be used). Without an owner given, the program's active window owns it.
    int DoModal();

    void Attach(platform::IDialogWindow& window) override;
    void Detach() override;
    bool OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                   win::LRESULT& result) override;

    bool HasWindow() const { return m_pWnd != nullptr; }

    // Field exchange: true reads the controls into the members, false shows the members.
    bool UpdateData(bool saveAndValidate = true);

    // Brings the window in step with the dialog: the field texts held back (below) and the
    // displays of the list controls bound by DDX_Control. Done after every message (not one
    // sent while another is handled) and before any box the dialog shows.
    void FlushControls();

    // The Help command that nothing else handled: the help file named like the program file.
    void ShowHelpFile();

    // The dialog's own box: owned by its window, with the caption and type exactly as given.
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type);

  protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(bool saveAndValidate);
    // The derived class's message map; returns whether it handled the message.
    virtual bool ProcessMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                                win::LRESULT& result);
    // A bound list control's rows or cells have just been shown anew on its display.
    virtual void OnListRowsShown() {}

    // Exchange routines for DoDataExchange. Reading a text takes it through SingleLineText
    // (below), against the text the exchange last showed in that control: what the user typed
    // or pasted loses its line ends and Ctrl-Z, what the program put there keeps its bytes.
    void DDX_Text(bool save, int controlId, std::string& value);
    void DDX_Text(bool save, int controlId, int& value);
    // The combo box's exchange: shows a value by selecting the first list item that begins
    // with it, ignoring letter case; only when none does is the edit text set to the value.
    void DDX_CBString(bool save, int controlId, std::string& value);
    void DDX_Control(int controlId, CListCtrl& control);

    // Controls' texts as the user sees them and as the exchange last showed them, for work that
    // shows other values in them on its way and then puts them back: restored, a text the
    // program had shown still counts as the program's, not as one the user typed.
    struct ControlTexts {
        std::map<int, std::string> onScreen;
        std::map<int, std::string> shown;
    };
    ControlTexts SaveControlTexts(std::initializer_list<int> controlIds) const;
    void RestoreControlTexts(const ControlTexts& texts);

    platform::IDialogWindow& Wnd() { return *m_pWnd; }
    platform::IPlatform& Platform() { return m_platform; }
    void EndDialog(int result);

  private:
    // OnMessage's work; the lists are flushed after it.
    bool Dispatch(win::UINT message, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result);
    // Fills the controls from the template's initialisation data (the sort-order list).
    void ExecuteDlgInit();
    // Sets a control's text unless it already holds it: every exchange shows every field, and
    // an edit field given its own text again loses its caret place (and under Wine each
    // setting costs a round trip).
    void ShowText(int controlId, const std::string& text);
    // Selects a combo box's list item, which shows the item's text.
    void SelectItem(int controlId, int index);
    // A control's text, as the window shows it or will once the held texts are set.
    std::string FieldText(int controlId) const;
    // Whether a text or selection set now is held back rather than set in the window.
    bool HoldsField(int controlId, const std::string& text) const;
    // Sets one held field in the window: its selection first, then its text.
    void ShowHeldField(int controlId);

    platform::IPlatform& m_platform;
    int m_nTemplateId;
    platform::WindowHandle m_owner;
    platform::IDialogWindow* m_pWnd = nullptr;
    // The list controls DDX_Control bound to this window's displays.
    std::vector<CListCtrl*> m_boundLists;
    // Messages being handled, one inside another.
    int m_messageDepth = 0;
    // While the dialog initialises, before it is on screen, the exchange shows the fields
    // after every entry the file gives: only the last text of each is set in the window (under
    // Wine each setting is a round trip to the Wine server, and Qt lays out each text). While
    // it saves on the session's request, the fields show each row on the way and are put back:
    // the window is left as it was, with the user's caret and undo history. Meanwhile a text
    // that the control gives back exactly is held here, with the list item selected before it.
    struct HeldField {
        std::string text;
        int item = -1;  // the combo box's item selected, if any
    };
    enum class Holding { No, ToShow, ToDrop };
    Holding m_holding = Holding::No;
    std::map<int, HeldField> m_heldFields;
    // Each combo box's list as ExecuteDlgInit left it, by control.
    std::map<int, std::vector<std::string>> m_comboItems;
    bool m_bExchangeFailed = false;
    // What the exchange last showed in each text control, by control identifier.
    std::map<int, std::string> m_shownTexts;
};

// The application's box: owned by the active window, captioned with the application title, and
// with the exclamation icon added when `type` asks for no icon.
int AfxMessageBox(platform::IPlatform& platform, const std::string& text, unsigned type);

// The application title: the program file's name without its extension (from the last dot on;
// a name whose only dot leads it is kept whole).
std::string ApplicationTitle(const std::string& programFileName);

// The help file of the program file at `programPath`: the same path with the last component's
// extension (from its last dot) replaced by ".HLP", or ".HLP" appended when it has none.
std::string HelpFilePath(const std::string& programPath);

// The file dialog's choices from "name|pattern|name|pattern||": pairs in order, up to the first
// empty piece (the closing "||") or a name left without a pattern.
std::vector<platform::FileFilter> ParseFileFilter(const std::string& filter);

// The value of a single-line field whose text is `now`, after the program showed `shown` in it.
// The fields are single-line, a line end inside a cell would split the entry file's lines, and
// a Ctrl-Z would end the file's next reading there, losing every later entry: LF and 0x1A never
// pass. A CR passes only where it is part of what the program showed and the user left as it
// was (the unchanged start and end of the text): a lone CR read from the entry file is a byte
// of its value, and the file goes back as it was read; a CR typed or pasted is dropped.
std::string SingleLineText(const std::string& now, const std::string& shown);

// True when `text` begins with `prefix`, ASCII letters compared without regard to case.
bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix);

}  // namespace brindlecot
