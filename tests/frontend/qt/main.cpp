// The Qt front end's tests: one QtTest class per area, chosen by the first argument so that
// ctest runs and times each on its own.
#include <QApplication>
#include <QTest>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "qt_tests.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const std::map<std::string, std::function<std::unique_ptr<QObject>()>> classes = {
        {"ListView", brindlecot::qt::test::MakeListViewTest},
        {"MainWindow", brindlecot::qt::test::MakeMainWindowTest},
        {"Commands", brindlecot::qt::test::MakeCommandsTest},
        {"TrayAndLaunch", brindlecot::qt::test::MakeTrayAndLaunchTest},
        {"Process", brindlecot::qt::test::MakeProcessTest},
        {"Text", brindlecot::qt::test::MakeTextTest},
        {"HostileFiles", brindlecot::qt::test::MakeHostileFilesTest},
        {"StartUp", brindlecot::qt::test::MakeStartUpTest},
        {"WaylandDesktop", brindlecot::qt::test::MakeWaylandDesktopTest},
        {"Accessibility", brindlecot::qt::test::MakeAccessibilityTest},
        {"Session", brindlecot::qt::test::MakeSessionTest},
    };
    std::vector<char*> args(argv, argv + argc);
    std::vector<std::string> chosen;
    if (argc > 1 && classes.count(argv[1])) {
        chosen.push_back(argv[1]);
        args.erase(args.begin() + 1);
    } else {
        for (const auto& c : classes)
            chosen.push_back(c.first);
    }
    int failures = 0;
    for (const std::string& name : chosen) {
        std::unique_ptr<QObject> test = classes.at(name)();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    return failures == 0 ? 0 : 1;
}
