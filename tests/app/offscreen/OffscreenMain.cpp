// The shell's widget tests run on Qt's offscreen platform. With
// "--screenshots DIR" the same program instead draws every window in its main
// states into PNG files under the platform it is given (Xvfb for the docs).
#include <cstring>

#include <gtest/gtest.h>
#include <QApplication>

namespace veyrune::test {
int takeScreenshots(const char* folder);
}

int main(int argc, char** argv) {
    const char* screenshots = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshots") == 0) {
            screenshots = argv[i + 1];
        }
    }
    if (!screenshots) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("QT_ACCESSIBILITY", "1");
    QApplication app(argc, argv);
    if (screenshots) {
        return veyrune::test::takeScreenshots(screenshots);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
