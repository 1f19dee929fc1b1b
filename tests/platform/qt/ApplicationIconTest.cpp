#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "TestFiles.h"
#include "platform/qt/ApplicationIcon.h"

namespace fs = std::filesystem;
using platform::ResourceBundle;
using platform::qt::applicationIcon;

// The bundle found at run time carries the icon at every size a window manager draws, and no
// larger one that every window would hand to the X server.
TEST(ApplicationIcon, theFoundBundleHoldsEverySizeAWindowManagerDraws) {
    const QIcon icon = applicationIcon(ResourceBundle::module());
    ASSERT_FALSE(icon.isNull()) << "no icons/hicolor in " << ResourceBundle::module().root();
    for (int size : {16, 22, 24, 32, 48, 64})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    for (const QSize& size : icon.availableSizes()) EXPECT_LE(size.width(), 64) << size.width();
    EXPECT_FALSE(icon.pixmap(48).isNull()) << "a size is read when asked for";
}

TEST(ApplicationIcon, takesOnlyTheProgramsPictureFromEachSizeFolder) {
    const testfiles::TemporaryFolder folder("application-icon-test");
    const fs::path& root = folder.path();
    struct Case {
        const char* file;
        int size;
    } cases[] = {
        {"icons/hicolor/20x20/apps/tuftle.png", 20},
        {"icons/hicolor/40x40/apps/other.png", 40},
        {"icons/hicolor/60x60/tuftle.png", 60},
        {"icons/hicolor/scalable/apps/tuftle.png", 30},
        {"icons/hicolor/128x128/apps/tuftle.png", 128},
    };
    ResourceBundle bundle(root);
    EXPECT_TRUE(applicationIcon(bundle).isNull()) << "a bundle without icons";
    for (const auto& c : cases) {
        fs::create_directories((root / c.file).parent_path());
        QImage image(c.size, c.size, QImage::Format_ARGB32);
        image.fill(Qt::black);
        ASSERT_TRUE(image.save(QString::fromStdString((root / c.file).string())));
    }
    EXPECT_EQ(applicationIcon(bundle).availableSizes(), QList<QSize>{QSize(20, 20)});
}
