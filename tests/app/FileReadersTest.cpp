// Every reader of a file of the program's own, against what may be found at its path instead.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileReaderTable.h"
#include "TestFiles.h"
#include "anim/Image.h"
#include "app/LaunchAtLoginManager.h"
#include "model/L10n.h"
#include "model/UpdateTypes.h"
#include "platform/program/ModuleFile.h"
#include "platform/program/ResourceBundle.h"
#include "platform/sim/SimMainLoop.h"
#include "platform/storage/AppendJournal.h"
#include "platform/storage/PlistFileDefaults.h"
#include "updates/UpdateChecker.h"

namespace app::modules {
std::string_view builtModuleIdentity(std::string_view file);
}

namespace {

namespace fs = std::filesystem;

std::string pngHeader(uint32_t width, uint32_t height) {
    std::string head = "\x89PNG\r\n\x1a\n";
    head += std::string("\0\0\0\x0dIHDR", 8);
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) head += static_cast<char>((v >> shift) & 0xff);
    return head;
}

TEST(FileReaders, takeOnlyARegularFileOfASaneSizeAndAnswerAsForAnUnreadableOne) {
    testfiles::TemporaryFolder folder;
    const fs::path root = folder.path();
    platform::sim::SimMainLoop loop;
    const std::string digestOfGood = [&] {
        testfiles::writeFile(root / "image", "an update image");
        return updates::UpdateChecker::fileDigest(root / "image");
    }();
    const fs::path module = TUFTLE_TEST_MODULE_A;
    const std::string moduleId(app::modules::builtModuleIdentity(module.filename().string()));
    app::LaunchAtLoginManager::setAutostartDirectoryForTesting(root / "autostart");
    model::L10n::setBundleRootForTesting(root / "bundle");
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);

    const std::vector<testfiles::FileReader> readers = {
        {"settings", root / "settings" / "defaults.plist",
         [](const fs::path& f) {
             testfiles::writeFile(f, "<plist><dict><key>a</key><string>kept</string></dict></plist>");
         },
         [&] {
             const platform::PlistFileDefaults store(root / "settings" / "defaults.plist", loop,
                                                     platform::PlistFileDefaults::Access::readOnly);
             const auto value = store.object("a");
             const auto* text = value ? value->getIf<std::string>() : nullptr;
             return text ? *text : "";
         }},
        {"key-count journal", root / "journal",
         [](const fs::path& f) { testfiles::writeFile(f, platform::FileJournal::encodeLine("kept")); },
         [&] {
             const platform::FileJournal journal(root / "journal");
             const auto records = journal.records();
             return records.empty() ? "" : records.back();
         }},
        {"language table", root / "bundle" / "en.lproj" / "Localizable.json",
         [](const fs::path& f) { testfiles::writeFile(f, R"({"栗栗": "kept"})"); },
         [] {
             const auto text = model::L10n::t("栗栗");
             return text == "栗栗" ? "" : text;
         }},
        {"bundle information", root / "bundle" / "Info.plist",
         [](const fs::path& f) {
             testfiles::writeFile(f,
                                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                                  "<key>CFBundleVersion</key><string>kept</string></dict></plist>");
         },
         [&] { return platform::ResourceBundle(root / "bundle").infoString("CFBundleVersion").value_or(""); }},
        {"autostart entry", app::LaunchAtLoginManager::autostartFilePath(),
         [](const fs::path& f) { testfiles::writeFile(f, app::LaunchAtLoginManager::desktopEntry("/bin/true")); },
         [] { return app::LaunchAtLoginManager::status() == app::LoginItemStatus::enabled ? "enabled" : ""; }},
        {"pet picture", root / "fur.png", [](const fs::path& f) { testfiles::writeFile(f, pngHeader(52, 40)); },
         [&] {
             const auto image = anim::Image::fromPNGFile((root / "fur.png").string());
             return image ? std::to_string(image->pixelWidth()) + "x" + std::to_string(image->pixelHeight()) : "";
         }},
        {"module", root / "module.so", [&](const fs::path& f) { fs::copy_file(module, f); },
         [&] {
             platform::ModuleFile loaded((root / "module.so").string(), moduleId, platform::ModuleFile::Symbols::local);
             if (loaded.symbol("tuftleTestAnswer")) return std::string("loaded");
             // Said as the window says it: what the file is, after its name.
             EXPECT_TRUE(loaded.error().english().starts_with((root / "module.so").string() + " ")) << loaded.error();
             return std::string();
         }},
        {"downloaded update", root / "update.AppImage",
         [](const fs::path& f) { testfiles::writeFile(f, "an update image"); },
         [&] {
             updates::UpdateManifest manifest;
             manifest.size = 15;
             manifest.sha256 = digestOfGood;
             try {
                 updates::UpdateChecker::verifyDownload(root / "update.AppImage", manifest);
                 return std::string("verified");
             } catch (const updates::UpdateFailure&) {
                 return std::string();
             }
         }},
    };
    testfiles::expectOnlyRegularFilesOfASaneSizeRead(readers);
    model::L10n::setAppLanguageChoice(std::nullopt);
    model::L10n::setBundleRootForTesting(std::nullopt);
    app::LaunchAtLoginManager::setAutostartDirectoryForTesting(std::nullopt);
}

}  // namespace
