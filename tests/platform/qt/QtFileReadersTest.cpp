// The Qt side's readers of files of the program and of the desktop, against what may be found
// at their paths instead.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileReaderTable.h"
#include "TestFiles.h"
#include "menubar/qt/IconProvider.h"
#include "platform/qt/ApplicationIcon.h"
#include "platform/qt/FileImages.h"
#include "platform/qt/QtAccessibility.h"

namespace {

namespace fs = std::filesystem;

void writePng(const fs::path& file, int side) {
    fs::create_directories(file.parent_path());
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::black);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
}

TEST(QtFileReaders, takeOnlyARegularFileOfASaneSizeAndAnswerAsForAnUnreadableOne) {
    testfiles::TemporaryFolder folder;
    const fs::path root = folder.path();
    const std::vector<testfiles::FileReader> readers = {
        {"desktop's kdeglobals", root / "kdeglobals",
         [](const fs::path& f) { testfiles::writeFile(f, "[KDE]\nAnimationDurationFactor=0\n"); },
         [&] {
             const auto reduce = platform::qt::QtAccessibility::answerFromKdeGlobalsFile(
                 QString::fromStdString((root / "kdeglobals").string()));
             return reduce ? std::string(*reduce ? "reduce" : "animate") : "";
         }},
        {"menu bar picture", root / "Assets" / "MenuBarTemplate.png", [](const fs::path& f) { writePng(f, 22); },
         [&] {
             const auto image = menubar::qt::IconProvider::loadMenuBarImage("MenuBarTemplate", root / "Assets");
             return image->representations.empty() ? "" : "picture";
         }},
        {"window icon", root / "icons" / "hicolor" / "32x32" / "apps" / "tuftle.png",
         [](const fs::path& f) { writePng(f, 32); },
         [&] { return platform::qt::applicationIcon(platform::ResourceBundle(root)).isNull() ? "" : "icon"; }},
        {"symbol drawing", root / "symbol.svg",
         [](const fs::path& f) {
             testfiles::writeFile(f, R"(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16">)"
                                     R"(<circle cx="8" cy="8" r="6"/></svg>)");
         },
         [&] {
             return platform::qt::iconFromFiles({{0, root / "symbol.svg"}}, 1 << 20).isNull() ? "" : "icon";
         }},
        {"picture", root / "picture.png", [](const fs::path& f) { writePng(f, 8); },
         [&] { return platform::qt::imageFromFile(root / "picture.png", 1 << 20).isNull() ? "" : "picture"; }},
    };
    testfiles::expectOnlyRegularFilesOfASaneSizeRead(readers);
}

}  // namespace
