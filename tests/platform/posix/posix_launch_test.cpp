// Opening a target on POSIX systems, and the working directory it is taken from, on a real
// scratch directory: which targets start as programs, which go to the desktop's opener and in
// what form, and which go nowhere.
#include "platform/posix/posix_launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/posix_directory.h"

namespace brindlecot::platform {
namespace {

namespace fs = std::filesystem;

class PosixLaunchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_oldCwd = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "brindlecot-launch-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = fs::canonical(pattern);
        fs::current_path(m_dir);
    }
    void TearDown() override {
        fs::current_path(m_oldCwd);
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
    }

    fs::path m_dir;

  private:
    fs::path m_oldCwd;
};

TEST_F(PosixLaunchTest, EachKindOfTargetHasItsPlan) {
    std::ofstream("tool") << "#!/bin/sh\n";
    fs::permissions("tool", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directory("folder");
    fs::permissions("folder", fs::perms::owner_all);
    // A bare name is the file in the working directory, never one looked up on PATH.
    OpenPlan plan = PlanOpen("tool");
    EXPECT_EQ(plan.kind, OpenPlan::Kind::StartProgram);
    EXPECT_EQ(plan.program, (m_dir / "tool").string());
    plan = PlanOpen("folder");  // executable, but not a file
    EXPECT_EQ(plan.kind, OpenPlan::Kind::OpenWithDesktop);
    EXPECT_EQ(plan.argument, "folder");
    plan = PlanOpen("sh");  // on PATH, not here: just text
    EXPECT_EQ(plan.kind, OpenPlan::Kind::OpenWithDesktop);
    EXPECT_EQ(plan.argument, "sh");
    EXPECT_EQ(PlanOpen("").kind, OpenPlan::Kind::Nothing);
    // The opener reads any argument that begins with '-' as an option: one that names no file
    // goes nowhere, one that names a file goes as the same file.
    EXPECT_EQ(PlanOpen("-folder").kind, OpenPlan::Kind::Nothing);
    EXPECT_EQ(PlanOpen("--help").kind, OpenPlan::Kind::Nothing);
    EXPECT_EQ(PlanOpen("-").kind, OpenPlan::Kind::Nothing);
    fs::create_directory("-folder");
    plan = PlanOpen("-folder");
    EXPECT_EQ(plan.kind, OpenPlan::Kind::OpenWithDesktop);
    EXPECT_EQ(plan.argument, "./-folder");
}

TEST_F(PosixLaunchTest, TheWorkingDirectoryIsGivenWholeOrNotAtAll) {
    EXPECT_EQ(CurrentDirectory(), m_dir.string());
    // Longer than the first buffer (4096 bytes) and than PATH_MAX: the name still comes whole.
    const std::string part(200, 'd');
    fs::path deep = m_dir;
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(::mkdir(part.c_str(), 0700), 0);
        ASSERT_EQ(::chdir(part.c_str()), 0);
        deep /= part;
    }
    EXPECT_EQ(CurrentDirectory(), deep.string());
    // A removed working directory has no name: empty, never a stale or partial one.
    ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    fs::create_directory("gone");
    fs::current_path("gone");
    fs::remove(m_dir / "gone");
    EXPECT_EQ(CurrentDirectory(), "");
}

}  // namespace
}  // namespace brindlecot::platform
