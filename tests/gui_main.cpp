// GUI tests need a QApplication; they run on the offscreen platform unless told otherwise.
#include "main/console.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    launcher::useUtf8CharacterType(); // no locale warning in a container's test log
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
