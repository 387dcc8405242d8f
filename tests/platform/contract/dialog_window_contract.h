// The main window's fields and sort-order combo box as every implementation must keep them:
// texts exact as bytes (also bytes that are not UTF-8, also long ones), the combo box's list
// and its edit part, and controls that do not exist.
//
// An implementation joins by giving a factory and instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Mine, DialogWindowContract, ::testing::Values(&myFactory),
//                            contract::FactoryName());
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "platform/contract/contract_factory.h"
#include "platform/platform.h"

namespace brindlecot::contract {

// One main window made for one test.
class DialogWindowSubject {
  public:
    virtual ~DialogWindowSubject() = default;
    virtual platform::IDialogWindow& Window() = 0;
};

class DialogWindowFactory : public Factory {
  public:
    // The main window's template made into a window, its combo box's list still empty, with a
    // handler that handles no message.
    virtual std::unique_ptr<DialogWindowSubject> Make() const = 0;
};

// Test listings show the implementation's name rather than an address.
inline void PrintTo(const DialogWindowFactory* factory, std::ostream* os) {
    *os << factory->Name();
}

class DialogWindowContract : public ::testing::TestWithParam<const DialogWindowFactory*> {
  protected:
    void SetUp() override;

    std::unique_ptr<DialogWindowSubject> m_subject;
    platform::IDialogWindow* window = nullptr;
};

// A handler for windows under test: handles nothing, remembers nothing.
class IgnoringHandler : public platform::IDialogHandler {
  public:
    void Attach(platform::IDialogWindow&) override {}
    void Detach() override {}
    bool OnMessage(win::UINT, win::WPARAM, win::LPARAM, win::LRESULT&) override { return false; }
};

}  // namespace brindlecot::contract
