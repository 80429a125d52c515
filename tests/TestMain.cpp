#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char *argv[]) {
    // Window tests run without a display unless a platform is named.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
