#include <QCoreApplication>
#include <gtest/gtest.h>

// The core runs in programs without a display: a bare application object,
// no widgets, no platform plugin.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
