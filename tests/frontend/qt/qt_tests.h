// The test classes, one factory each.
#pragma once

#include <QObject>
#include <memory>

namespace brindlecot::qt::test {

std::unique_ptr<QObject> MakeListViewTest();
std::unique_ptr<QObject> MakeMainWindowTest();
std::unique_ptr<QObject> MakeCommandsTest();
std::unique_ptr<QObject> MakeTrayAndLaunchTest();
std::unique_ptr<QObject> MakeProcessTest();
std::unique_ptr<QObject> MakeTextTest();
std::unique_ptr<QObject> MakeHostileFilesTest();
std::unique_ptr<QObject> MakeStartUpTest();
std::unique_ptr<QObject> MakeWaylandDesktopTest();
std::unique_ptr<QObject> MakeAccessibilityTest();
std::unique_ptr<QObject> MakeSessionTest();

}  // namespace brindlecot::qt::test
