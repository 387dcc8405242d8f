// What every contract suite shares: a factory per implementation, named for the test names, so
// that one body of tests runs against each implementation of a seam interface. A suite is
// instantiated with pointers to factories that live as long as the program.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace brindlecot::contract {

class Factory {
  public:
    virtual ~Factory() = default;
    // Letters and digits only: it becomes part of the test names.
    virtual std::string Name() const = 0;
};

// The instantiation's test-name suffix: the factory's name.
struct FactoryName {
    template <class F>
    std::string operator()(const ::testing::TestParamInfo<const F*>& info) const {
        return info.param->Name();
    }
};

}  // namespace brindlecot::contract
