#include <QApplication>

#include <gtest/gtest.h>

// Window tests run under QT_QPA_PLATFORM=offscreen (set by CTest).
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
