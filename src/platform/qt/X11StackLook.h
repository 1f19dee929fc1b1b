#pragma once

#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include <xcb/xcb.h>

namespace platform::qt {

// An answer of the X server through xcb, freed when it goes.
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
XcbReply<Reply> xcbReply(Reply* reply) {
    return XcbReply<Reply>(reply, &std::free);
}

// The window types that keep a window over the pets, and the property they are read from.
// Atoms are the server's, the same on every connection: interned once.
struct StackAtoms {
    xcb_atom_t windowType = 0;
    std::vector<xcb_atom_t> ceilingTypes;  // menus, tooltips and notifications

    static StackAtoms intern(xcb_connection_t* c);
};

struct StackLookResult {
    // False when the move failed: the child it was placed by went away meanwhile.
    bool placed = true;
    // The children asked about, found shown and found hidden.
    std::vector<xcb_window_t> readShown;
    std::vector<xcb_window_t> readHidden;
};

// One look at the root's children on `c` and, when the `panels` do not stand where they
// belong, one move of them beside a known child (see panelStackMove). Nothing is held
// meanwhile: every read is sent before its answers are waited for, and a window that comes up
// in between is left where it came up. `ownCeilings` are our windows that stay over the panels
// wherever they stand. `guess` holds the children the last look read: they are asked about along
// with the children themselves, so that a look at a stack whose top has not changed waits for
// the server once. Children in `knownHidden` are taken as hidden without a word to the server.
// Requests with answers bring their errors back with the answer, so none of them reaches the
// connection's event queue.
StackLookResult lookAtStack(xcb_connection_t* c, xcb_window_t root, const StackAtoms& atoms,
                            const std::vector<xcb_window_t>& panels, const std::vector<xcb_window_t>& ownCeilings,
                            const std::vector<xcb_window_t>& guess, const std::set<xcb_window_t>& knownHidden);

}  // namespace platform::qt
