#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "tests/support/TestLanguage.h"

// Every window test runs on Qt's offscreen platform, on one 1280 x 1024 screen
// (the default one is smaller than a maximized main window must grow to),
// in the pinned untranslated language.
int main(int argc, char* argv[]) {
    stela::test::pinUntranslatedLanguage();
    ::testing::InitGoogleTest(&argc, argv);

    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly)) {
        return 2;
    }
    file.write(R"({"windowFrameMargins": false,
                  "screens": [{"name": "test", "x": 0, "y": 0, "width": 1280, "height": 1024,
                               "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();

    // Named from the folder it is in: Qt splits the platform's arguments at
    // every ':', a Windows drive's among them.
    QByteArray platform = "offscreen:configfile=screens.json";
    char platformOption[] = "-platform";
    std::vector<char*> args{argv[0], platformOption, platform.data()};
    int qtArgc = static_cast<int>(args.size());
    const QString started = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QApplication app(qtArgc, args.data());
    QDir::setCurrent(started);
    return RUN_ALL_TESTS();
}
