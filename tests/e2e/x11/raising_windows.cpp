// Another program on a busy desktop, for test_stopped_program.sh and bench/side-by-side: it keeps
// <hidden> windows on the root that are never mapped, shows two small ordinary windows and raises
// them in turn <per-second> times a second. Prints "shown" once they are up.
//   raising_windows <per-second> <hidden>                 runs until it is stopped
//   raising_windows <per-second> <hidden> <pid> <stops> <pet-window>...
// In the second form, after a raise it waits for the process to wake once or twice (as it does
// for the raise), stops it (SIGSTOP) a moment later, asks the X server for an answer from a
// connection of its own, opens a menu, and resumes it; before the next raise it checks that the
// menu lies over the pet windows, and closes it. A process stopped while it places its pets
// finds the menu come up in between. It ends with 0 when every answer came and every menu stayed
// over the pets, and with 1 and a line when not (the process is resumed all the same).
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The state letter of the process's main thread: R, S, T...
char stateOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? '?' : line[close + 2];
}

// Polls every 100 us until the condition holds or the time is up.
template <typename Condition>
bool within(Clock::duration limit, Condition condition) {
    for (const auto end = Clock::now() + limit; Clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(100us);
    }
    return condition();
}

// Whether `menu` lies above every one of `pets` among the root's children.
bool over(xcb_connection_t* c, xcb_window_t root, xcb_window_t menu, const std::vector<xcb_window_t>& pets) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree) return false;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    const xcb_window_t* end = kids + xcb_query_tree_children_length(tree);
    const auto menuAt = std::find(kids, end, menu);
    bool ok = menuAt != end;
    for (xcb_window_t pet : pets) ok = ok && std::find(kids, end, pet) < menuAt;
    std::free(tree);
    return ok;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

// Whether the server answers a request on `c` within two seconds.
bool answers(xcb_connection_t* c) {
    const auto cookie = xcb_get_input_focus(c);
    xcb_flush(c);
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    for (const auto end = Clock::now() + 2s; Clock::now() < end;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(c, cookie.sequence, &reply, &error)) {
            std::free(reply);
            std::free(error);
            return true;
        }
        if (xcb_connection_has_error(c)) return false;
        poll(&fd, 1, 10);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc < 6) {
        std::fprintf(stderr, "usage: raising_windows <per-second> <hidden> [<pid> <stops> <pet-window>...]\n");
        return 2;
    }
    const double perSecond = std::atof(argv[1]);
    const int hidden = std::atoi(argv[2]);
    const pid_t pid = argc > 3 ? pid_t(std::atoi(argv[3])) : 0;
    const int stops = argc > 3 ? std::atoi(argv[4]) : 0;
    std::vector<xcb_window_t> pets;
    for (int i = 5; i < argc; ++i) pets.push_back(xcb_window_t(std::strtoul(argv[i], nullptr, 0)));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_connection_t* asker = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) || xcb_connection_has_error(asker) || perSecond <= 0 || hidden < 0) {
        std::fprintf(stderr, "raising_windows: no display or bad arguments\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    for (int i = 0; i < hidden; ++i)
        xcb_create_window(c, XCB_COPY_FROM_PARENT, xcb_generate_id(c), screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_window_t shown[2];
    for (int i = 0; i < 2; ++i) {
        shown[i] = xcb_generate_id(c);
        const uint32_t background[] = {i ? 0x705030u : 0x305070u};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, shown[i], screen->root, int16_t(100 + 120 * i), 100, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, background);
        const char* title = i ? "raised window 2" : "raised window 1";
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, shown[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(std::strlen(title)), title);
        xcb_map_window(c, shown[i]);
    }
    // With stops, a menu as toolkits make them: override-redirect, typed, raised as it opens.
    const xcb_window_t menu = pid ? xcb_generate_id(c) : 0;
    if (menu) {
        const uint32_t values[] = {0xe0e0e0u, 1};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, menu, screen->root, 200, 150, 160, 240, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE_MENU");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, menu, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                            &type);
    }
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("shown\n");
    std::fflush(stdout);

    std::mt19937 dice(std::random_device{}());
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1 / perSecond));
    auto next = Clock::now();
    for (int n = 0; stops == 0 || n < stops; ++n) {
        const uint32_t above[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c, shown[n % 2], XCB_CONFIG_WINDOW_STACK_MODE, above);
        xcb_flush(c);
        next += period;
        if (pid) {
            // Once or twice awake after the raise (the news of it, then what it does about it),
            // then stopped within the next two milliseconds.
            const int wakes = 1 + int(dice() % 2);
            for (int w = 0; w < wakes; ++w) {
                within(300ms, [&] { return stateOf(pid) != 'R'; });
                within(300ms, [&] { return stateOf(pid) == 'R'; });
            }
            std::this_thread::sleep_for(std::chrono::microseconds(dice() % 2000));
            kill(pid, SIGSTOP);
            const bool stopped = within(2s, [&] { return stateOf(pid) == 'T'; });
            const bool answered = answers(asker);
            if (stopped && answered) {
                xcb_configure_window(c, menu, XCB_CONFIG_WINDOW_STACK_MODE, above);
                xcb_map_window(c, menu);
                free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            }
            kill(pid, SIGCONT);
            if (!stopped) {
                std::fprintf(stderr, "raising_windows: process %d did not stop\n", int(pid));
                return 2;
            }
            if (!answered) {
                std::printf("no answer from the X server while process %d was stopped (stop %d)\n", int(pid), n + 1);
                return 1;
            }
            within(2s, [&] { return stateOf(pid) != 'T'; });
            if (Clock::now() > next) next = Clock::now();
        }
        std::this_thread::sleep_until(next);
        if (pid) {
            if (!over(c, screen->root, menu, pets)) {
                std::printf("a pet came over the menu opened while process %d was stopped (stop %d)\n", int(pid),
                            n + 1);
                return 1;
            }
            xcb_unmap_window(c, menu);
        }
    }
    return 0;
}
