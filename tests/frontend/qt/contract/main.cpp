// The Qt front end's controls held to the seam's contracts: GoogleTest with one QApplication
// for the whole run, made before any widget.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
