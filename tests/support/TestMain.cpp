#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#ifdef CORVINA_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // CTest asks every test program for its list before each run; that needs
    // neither an application nor a temporary tree.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    testenv::isolate();
#ifdef CORVINA_TEST_GUI
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("corvina-tests"));
    return RUN_ALL_TESTS();
}
