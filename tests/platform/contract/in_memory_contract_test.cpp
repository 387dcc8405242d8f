// The in-memory platform held to the seam's contracts, so that the core's tests run against
// controls and a store that behave as the real ones do.
#include "platform/contract/dialog_window_contract.h"
#include "platform/contract/file_store_contract.h"
#include "platform/contract/list_view_contract.h"
#include "resources/resource.h"
#include "support/fake_platform.h"

namespace brindlecot::contract {
namespace {

class InMemoryListView : public ListViewSubject {
  public:
    platform::IListView& View() override { return m_list; }
    int ShownRowCount() override { return static_cast<int>(m_list.rows.size()); }
    std::string ShownCell(int row, int column) override {
        return m_list.Column(column)[static_cast<size_t>(row)];
    }
    int ShownSelected() override { return m_list.selected; }
    int ShownFocused() override { return m_list.focused; }
    void UserSelects(int row) override { m_list.UserSelects(row); }
    void UserClicksRow(int row) override {
        m_list.UserSelects(row);
        if (m_list.Events())
            m_list.Events()->OnUserClick();
    }
    void UserPressesSpace() override {
        if (m_list.Events())
            m_list.Events()->OnUserKey(win::kVkSpace);
    }
    void UserClicksHeader(int column) override {
        if (m_list.Events())
            m_list.Events()->OnUserColumnClick(column);
    }
    std::optional<int> FittedWidth(int) override { return std::nullopt; }
    int TextWidth(const std::string&) override { return 0; }
    int ClientWidth() override { return 0; }

  private:
    std::vector<std::string> m_log;
    fake::FakeListView m_list{m_log};
};

class InMemoryListViewFactory : public ListViewFactory {
  public:
    std::string Name() const override { return "InMemory"; }
    std::unique_ptr<ListViewSubject> Make() const override {
        return std::make_unique<InMemoryListView>();
    }
};

class InMemoryDialogWindow : public DialogWindowSubject {
  public:
    InMemoryDialogWindow() : m_window(m_platform.Open(m_handler, IDD_BRINDLECOT_DIALOG)) {}
    ~InMemoryDialogWindow() override { m_platform.Close(m_window); }
    platform::IDialogWindow& Window() override { return m_window; }

  private:
    IgnoringHandler m_handler;
    fake::FakePlatform m_platform;
    fake::FakeDialogWindow& m_window;
};

class InMemoryDialogWindowFactory : public DialogWindowFactory {
  public:
    std::string Name() const override { return "InMemory"; }
    std::unique_ptr<DialogWindowSubject> Make() const override {
        return std::make_unique<InMemoryDialogWindow>();
    }
};

class InMemoryFileStore : public FileStoreSubject {
  public:
    platform::IFileStore& Store() override { return m_store; }
    std::optional<std::string> Peek(const std::string& name) override {
        auto it = m_store.files.find(name);
        if (it == m_store.files.end())
            return std::nullopt;
        return it->second;
    }
    void Put(const std::string& name, const std::string& bytes) override {
        m_store.files[name] = bytes;
    }
    void MakeReadOnly(const std::string& name) override { m_store.readOnly.insert(name); }
    void MakeUnreadable(const std::string&) override { m_store.readable = false; }
    void FailReplacements(bool fail) override { m_store.writable = !fail; }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : m_store.files)
            names.push_back(name);
        return names;  // a map's keys come sorted
    }

  private:
    std::vector<std::string> m_log;
    fake::FakeFileStore m_store{m_log};
};

class InMemoryFileStoreFactory : public FileStoreFactory {
  public:
    std::string Name() const override { return "InMemory"; }
    std::unique_ptr<FileStoreSubject> Make() const override {
        return std::make_unique<InMemoryFileStore>();
    }
};

const InMemoryListViewFactory kListViews;
const InMemoryDialogWindowFactory kDialogWindows;
const InMemoryFileStoreFactory kFileStores;

INSTANTIATE_TEST_SUITE_P(InMemory, ListViewContract, ::testing::Values(&kListViews), FactoryName());
INSTANTIATE_TEST_SUITE_P(InMemory, DialogWindowContract, ::testing::Values(&kDialogWindows),
                         FactoryName());
INSTANTIATE_TEST_SUITE_P(InMemory, FileStoreContract, ::testing::Values(&kFileStores),
                         FactoryName());

}  // namespace
}  // namespace brindlecot::contract
