// The Win32 list view, dialog window and entry-file store held to the seam's contracts, under
// Wine: the real SysListView32 and combo box of the main window's template, and the store in a
// temporary working directory of its own.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "frontend/win32/dialog_template.h"
#include "frontend/win32/win32_dialog_window.h"
#include "frontend/win32/win32_headers.h"
#include "frontend/win32/win32_platform.h"
#include "platform/contract/dialog_window_contract.h"
#include "platform/contract/file_store_contract.h"
#include "platform/contract/list_view_contract.h"
#include "platform/win32/win32_file_store.h"
#include "resources/resource.h"

namespace brindlecot::contract {
namespace {

class NoHandling : public platform::IDialogHandler {
  public:
    void Attach(platform::IDialogWindow&) override {}
    void Detach() override {}
    bool OnMessage(win::UINT, win::WPARAM, win::LPARAM, win::LRESULT&) override { return false; }
};

// The main window's template as a modeless dialog, never shown, for one test.
class Win32MainDialog {
  public:
    Win32MainDialog()
        : m_platform(::GetModuleHandleA(nullptr)),
          m_window(m_platform, IDD_BRINDLECOT_DIALOG, m_handler) {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        const std::vector<std::uint16_t> tmpl =
            win32::BuildDialogTemplate(resources::MainDialogTemplate());
        // The template is shown when made: keep this one hidden.
        auto* header = reinterpret_cast<DLGTEMPLATE*>(const_cast<std::uint16_t*>(tmpl.data()));
        header->style &= ~static_cast<DWORD>(WS_VISIBLE);
        m_hwnd = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), header, nullptr,
                                              &win32::Win32DialogWindow::DialogProc,
                                              reinterpret_cast<LPARAM>(&m_window));
    }
    ~Win32MainDialog() { ::DestroyWindow(m_hwnd); }
    win32::Win32DialogWindow& Window() { return m_window; }

  private:
    NoHandling m_handler;
    win32::Win32Platform m_platform;
    win32::Win32DialogWindow m_window;
    HWND m_hwnd = nullptr;
};

// The template's list view, read through its own messages.
class Win32ListViewSubject : public ListViewSubject {
  public:
    platform::IListView& View() override { return *m_dialog.Window().ListView(IDC_LIST); }
    int ShownRowCount() override { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    std::string ShownCell(int row, int column) override {
        // The message reports only how much it copied: grow the buffer until the text fits.
        for (size_t size = 256;; size *= 4) {
            std::vector<char> buffer(size);
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const auto n = static_cast<size_t>(
                Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
            if (n + 1 < size)
                return std::string(buffer.data(), n);
        }
    }
    int ShownSelected() override { return Next(LVNI_SELECTED); }
    int ShownFocused() override { return Next(LVNI_FOCUSED); }
    void UserSelects(int row) override {
        // The control's own change of state, as a click makes it, told to no display.
        LVITEMA item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    // The control's own notifications, as it sends them to the dialog for a click on a row and
    // on a header; the key goes to the control itself, which tells the dialog.
    void UserClicksRow(int row) override {
        UserSelects(row);
        NMITEMACTIVATE click{};
        click.hdr = {List(), IDC_LIST, static_cast<UINT>(NM_CLICK)};
        click.iItem = row;
        NotifyDialog(click.hdr);
    }
    void UserPressesSpace() override { Send(WM_KEYDOWN, VK_SPACE, 0x00390001); }
    void UserClicksHeader(int column) override {
        NMLISTVIEW click{};
        click.hdr = {List(), IDC_LIST, static_cast<UINT>(LVN_COLUMNCLICK)};
        click.iItem = -1;
        click.iSubItem = column;
        NotifyDialog(click.hdr);
    }
    std::optional<int> FittedWidth(int column) override {
        return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    int TextWidth(const std::string& text) override {
        return static_cast<int>(
            Send(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int ClientWidth() override {
        RECT r{};
        ::GetClientRect(List(), &r);
        return r.right - r.left;
    }

  private:
    HWND List() { return ::GetDlgItem(m_dialog.Window().Hwnd(), IDC_LIST); }
    void NotifyDialog(NMHDR& header) {
        ::SendMessageA(m_dialog.Window().Hwnd(), WM_NOTIFY, IDC_LIST,
                       reinterpret_cast<LPARAM>(&header));
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(List(), message, wParam, lParam);
    }
    int Next(UINT flags) {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flags));
    }

    Win32MainDialog m_dialog;
};

class Win32ListViewFactory : public ListViewFactory {
  public:
    std::string Name() const override { return "Win32"; }
    std::unique_ptr<ListViewSubject> Make() const override {
        return std::make_unique<Win32ListViewSubject>();
    }
};

class Win32DialogWindowSubject : public DialogWindowSubject {
  public:
    platform::IDialogWindow& Window() override { return m_dialog.Window(); }

  private:
    Win32MainDialog m_dialog;
};

class Win32DialogWindowFactory : public DialogWindowFactory {
  public:
    std::string Name() const override { return "Win32"; }
    std::unique_ptr<DialogWindowSubject> Make() const override {
        return std::make_unique<Win32DialogWindowSubject>();
    }
};

class Win32StoreSubject : public FileStoreSubject {
  public:
    Win32StoreSubject() : m_store(Steps(m_fail)) {
        char base[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, base);
        char name[MAX_PATH] = {};
        ::GetTempFileNameA(base, "bcc", 0, name);
        ::DeleteFileA(name);
        ::CreateDirectoryA(name, nullptr);
        m_dir = name;
        char previous[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, previous);
        m_previous = previous;
        ::SetCurrentDirectoryA(m_dir.c_str());
    }
    ~Win32StoreSubject() override {
        for (const std::string& n : Names()) {
            ::SetFileAttributesA(n.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!::DeleteFileA(n.c_str()))
                ::RemoveDirectoryA(n.c_str());
        }
        ::SetCurrentDirectoryA(m_previous.c_str());
        ::RemoveDirectoryA(m_dir.c_str());
    }

    platform::IFileStore& Store() override { return m_store; }
    std::optional<std::string> Peek(const std::string& name) override {
        const DWORD a = ::GetFileAttributesA(name.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY))
            return std::nullopt;
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Put(const std::string& name, const std::string& bytes) override {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    }
    void MakeReadOnly(const std::string& name) override {
        ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    void MakeUnreadable(const std::string& name) override {
        ::CreateDirectoryA(name.c_str(), nullptr);
    }
    void FailReplacements(bool fail) override { *m_fail = fail; }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data{};
        const HANDLE find = ::FindFirstFileA("*", &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::string n = data.cFileName;
            if (n != "." && n != "..")
                names.push_back(n);
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    // As on a full disk: part of the content goes out, then the write fails.
    static platform::Win32FileStore::Steps Steps(const std::shared_ptr<bool>& fail) {
        platform::Win32FileStore::Steps steps = platform::Win32FileStore::Steps::Real();
        auto real = steps.writeAndFlush;
        steps.writeAndFlush = [fail, real](void* file, const std::string& bytes) {
            if (!*fail)
                return real(file, bytes);
            real(file, bytes.substr(0, bytes.size() / 2));
            return false;
        };
        return steps;
    }

    std::shared_ptr<bool> m_fail = std::make_shared<bool>(false);
    platform::Win32FileStore m_store;
    std::string m_dir;
    std::string m_previous;
};

class Win32StoreFactory : public FileStoreFactory {
  public:
    std::string Name() const override { return "Win32"; }
    std::unique_ptr<FileStoreSubject> Make() const override {
        return std::make_unique<Win32StoreSubject>();
    }
};

const Win32ListViewFactory kListView;
const Win32DialogWindowFactory kDialogWindow;
const Win32StoreFactory kStore;

INSTANTIATE_TEST_SUITE_P(Win32, ListViewContract,
                         ::testing::Values<const ListViewFactory*>(&kListView), FactoryName());
INSTANTIATE_TEST_SUITE_P(Win32, DialogWindowContract,
                         ::testing::Values<const DialogWindowFactory*>(&kDialogWindow),
                         FactoryName());
INSTANTIATE_TEST_SUITE_P(Win32, FileStoreContract,
                         ::testing::Values<const FileStoreFactory*>(&kStore), FactoryName());

}  // namespace
}  // namespace brindlecot::contract
