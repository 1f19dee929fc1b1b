#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "model/PetEnums.h"

namespace windows {

// What the settings pages ask of the application: handed in by whoever opens the window, so
// the pages never reach the application controller themselves. An action left empty does
// nothing (a send-home then reports `unavailable`).
struct SettingsActions {
    std::function<void()> checkForUpdates;
    std::function<void()> downloadAvailableUpdate;
    std::function<void()> openDownloadedUpdate;
    std::function<void()> cancelDownload;
    std::function<void(bool)> setLaunchAtLogin;
    std::function<void()> refreshLaunchAtLogin;
    // Sends the pets home animated and holds them there for a while.
    std::function<model::PetHomeCommandResult()> sendPetsHome;
    // Whether a pet that asks for the top edge gets a home there, for the home page's notice.
    std::function<bool()> topHomeHasRoom;
    // Whether a tray on the desktop shows the program's entry now; texts that point at the tray
    // say something else where none does. Left empty, a tray is taken to be there.
    std::function<bool()> trayShowsEntry;
    // A string value of the program's information property list.
    std::function<std::optional<std::string>(const std::string&)> infoString;

    // The desktop demonstrations; each answers whether the desktop pets took the request.
    std::function<bool(model::PetLifeScene, model::DesktopDemoTarget)> demonstrateScene;
    std::function<bool(model::PetActivity, model::DesktopDemoTarget)> demonstratePose;
    // The whole tour; the caller puts the settings window away when it starts.
    std::function<bool(model::DesktopDemoTarget)> demonstrateAll;
    std::function<void()> hideSettingsWindow;
    // Asks where, then writes the export of all local data: the file written, or nothing when
    // the user cancelled or writing failed (which the export says itself).
    std::function<std::optional<std::filesystem::path>()> exportLocalData;
    // Switches the icon stash off, giving every stashed icon back.
    std::function<void()> switchStashOff;
    std::function<void()> refreshKeyboardCounter;
    std::function<void()> openInputMonitoringSettings;
    // Where the settings and records are kept on this computer.
    std::string defaultsFile;
};

// Whether a tray shows the entry, as the actions say.
bool trayShowsEntry(const SettingsActions& actions);

// "v<version> (Build <build>)" from the information property list, with "0.0.0-dev" and "0"
// for values that are missing or not strings.
std::string appVersion(const std::function<std::optional<std::string>(const std::string&)>& infoString);

}  // namespace windows
