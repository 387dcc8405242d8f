// A small application framework over the platform seam: a modal dialog base with field
// exchange, and a list-control wrapper. It gives the program's classes the shape they would
// have on a Windows framework while staying portable.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace brindlecot {

// The entry table's control as the dialog holds it. Detached until the first field exchange
// binds it; calls on a detached control do nothing and return empty results.
class CListCtrl {
  public:
    void Attach(platform::IListView* view) { m_pView = view; }
    void Detach() { m_pView = nullptr; }
    bool IsAttached() const { return m_pView != nullptr; }
    platform::IListView* View() const { return m_pView; }

    void InsertColumn(int column, const std::string& header);
    void SetExtendedStyle(unsigned style);
    void InsertItem(int row, const std::string& title);
    void SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    void DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;
    int GetSelectionMark() const;
    void SetSelectionMark(int row);
    unsigned GetItemState(int row, unsigned mask) const;
    void SetItemState(int row, unsigned state, unsigned mask);
    bool HasHeader() const;
    int GetHeaderItemCount() const;
    void SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    void SetRedraw(bool redraw);
    void Invalidate();

  private:
    platform::IListView* m_pView = nullptr;
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
    // Fills the controls from the template's initialisation data (the sort-order list).
    void ExecuteDlgInit();

    platform::IPlatform& m_platform;
    int m_nTemplateId;
    platform::WindowHandle m_owner;
    platform::IDialogWindow* m_pWnd = nullptr;
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
