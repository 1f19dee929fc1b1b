// Prints the autostart entry the program writes for the program at the path given, for
// install_launcher.sh to validate as the desktop reads it.
#include <iostream>

#include "app/LaunchAtLoginManager.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: autostart_entry <program path>\n";
        return 2;
    }
    std::cout << app::LaunchAtLoginManager::desktopEntry(argv[1]);
    return 0;
}
