#include "platform/qt/X11StackLook.h"

#include <algorithm>
#include <cstring>

#include "platform/desktop/PanelStackOrder.h"
#include "platform/desktop/StackRead.h"

namespace platform::qt {
namespace {

// The state of one look (see lookAtStack).
class StackLook {
public:
    StackLook(xcb_connection_t* c, xcb_window_t root, const StackAtoms& atoms) : c_(c), root_(root), atoms_(atoms) {}

    bool run(const std::vector<xcb_window_t>& panels, const std::vector<xcb_window_t>& ownCeilings,
             const std::vector<xcb_window_t>& guess, const std::set<xcb_window_t>& knownHidden) {
        const auto tree = xcb_query_tree(c_, root_);
        std::vector<std::pair<xcb_window_t, Asked>> early;
        for (xcb_window_t w : guess) early.emplace_back(w, ask(w));
        read_ = StackRead(children(tree), panels, knownHidden);
        for (const auto& [w, asked] : early) known_.emplace_back(w, answer(asked));
        menuLike_.assign(read_.stack().size(), false);
        if (!read_.hasPanel()) return true;
        readFromTheTop();
        for (size_t i : ceilingCandidates(read_.roles()))
            if (menuLike_[i]) read_.setRole(i, StackRole::ceiling);
        for (size_t i : topLevels(ownCeilings))
            if (read_.roles()[i] != StackRole::panel) read_.setRole(i, StackRole::ceiling);
        const auto move = panelStackMove(read_.roles());
        return !move || place(*move);
    }

    // The children this look asked the server about and found shown, for the next one's guess;
    // and those it found hidden.
    std::vector<xcb_window_t> readShown() const { return read_.learnt(false); }
    std::vector<xcb_window_t> readHidden() const { return read_.learnt(true); }

private:
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t type;
    };
    struct Answer {
        StackRole role = StackRole::hidden;
        bool menuLike = false;
    };

    // Its window type along with its attributes: a second trip for the few that need it would
    // cost a wake-up more than the answers it saves.
    Asked ask(xcb_window_t w) {
        return {xcb_get_window_attributes(c_, w), xcb_get_property(c_, 0, w, atoms_.windowType, XCB_ATOM_ATOM, 0, 16)};
    }

    Answer answer(const Asked& asked) {
        Answer out;
        const auto a = xcbReply(xcb_get_window_attributes_reply(c_, asked.attributes, nullptr));
        const auto type = xcbReply(xcb_get_property_reply(c_, asked.type, nullptr));
        if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE) return out;
        out.role = a->override_redirect ? StackRole::overlay : StackRole::window;
        if (type && type->type == XCB_ATOM_ATOM && type->format == 32) {
            const auto* types = static_cast<const xcb_atom_t*>(xcb_get_property_value(type.get()));
            const auto* end = types + xcb_get_property_value_length(type.get()) / 4;
            out.menuLike =
                std::find_first_of(types, end, atoms_.ceilingTypes.begin(), atoms_.ceilingTypes.end()) != end;
        }
        return out;
    }

    std::vector<xcb_window_t> children(xcb_query_tree_cookie_t cookie) {
        const auto reply = xcbReply(xcb_query_tree_reply(c_, cookie, nullptr));
        if (!reply) return {};
        const xcb_window_t* kids = xcb_query_tree_children(reply.get());
        return {kids, kids + xcb_query_tree_children_length(reply.get())};
    }

    // Every batch is sent before its answers are waited for; children the last look read are
    // not asked again.
    void readFromTheTop() {
        for (auto batch = read_.nextBatch(); !batch.empty(); batch = read_.nextBatch()) {
            std::vector<std::pair<size_t, Asked>> asked;
            for (size_t i : batch) {
                const xcb_window_t w = read_.stack()[i];
                const auto known =
                    std::find_if(known_.begin(), known_.end(), [&](const auto& k) { return k.first == w; });
                if (known != known_.end())
                    learn(i, known->second);
                else
                    asked.emplace_back(i, ask(w));
            }
            for (const auto& [i, a] : asked) learn(i, answer(a));
        }
    }

    void learn(size_t i, const Answer& answer) {
        read_.learn(i, answer.role);
        menuLike_[i] = answer.menuLike;
    }

    // Where each of `windows` stands among the root's children: itself, or the window manager's
    // frame around it, found a level at a time for all of them at once.
    std::vector<size_t> topLevels(std::vector<xcb_window_t> windows) {
        const auto& stack = read_.stack();
        std::vector<size_t> found;
        for (int depth = 0; depth < 8 && !windows.empty(); ++depth) {
            std::vector<xcb_query_tree_cookie_t> cookies;
            for (xcb_window_t w : windows) {
                const auto at = std::find(stack.begin(), stack.end(), w);
                if (at != stack.end())
                    found.push_back(size_t(at - stack.begin()));
                else
                    cookies.push_back(xcb_query_tree(c_, w));
            }
            windows.clear();
            for (auto cookie : cookies) {
                const auto reply = xcbReply(xcb_query_tree_reply(c_, cookie, nullptr));
                if (reply && reply->parent && reply->parent != root_) windows.push_back(reply->parent);
            }
        }
        return found;
    }

    bool place(PanelStackMove move) {
        const auto& stack = read_.stack();
        std::vector<xcb_window_t> panels;
        for (size_t i = 0; i < stack.size(); ++i)
            if (read_.roles()[i] == StackRole::panel) panels.push_back(stack[i]);
        // Each goes right beside the sibling: those placed above it go top first, so that both
        // keep their order.
        if (!move.below) std::reverse(panels.begin(), panels.end());
        const uint32_t values[] = {stack[move.sibling], move.below ? XCB_STACK_MODE_BELOW : XCB_STACK_MODE_ABOVE};
        std::vector<xcb_void_cookie_t> cookies;
        for (xcb_window_t panel : panels)
            cookies.push_back(xcb_configure_window_checked(
                c_, panel, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values));
        bool placed = true;
        for (auto cookie : cookies)
            if (auto error = xcbReply(xcb_request_check(c_, cookie))) placed = false;
        return placed;
    }

    xcb_connection_t* c_;
    xcb_window_t root_;
    const StackAtoms& atoms_;
    StackRead read_;
    std::vector<bool> menuLike_;
    std::vector<std::pair<xcb_window_t, Answer>> known_;
};

}  // namespace

StackAtoms StackAtoms::intern(xcb_connection_t* c) {
    static const char* const names[] = {"_NET_WM_WINDOW_TYPE",
                                        "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                                        "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                                        "_NET_WM_WINDOW_TYPE_MENU",
                                        "_NET_WM_WINDOW_TYPE_COMBO",
                                        "_NET_WM_WINDOW_TYPE_TOOLTIP",
                                        "_NET_WM_WINDOW_TYPE_NOTIFICATION"};
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const char* name : names) cookies.push_back(xcb_intern_atom(c, 0, uint16_t(strlen(name)), name));
    StackAtoms atoms;
    for (size_t i = 0; i < cookies.size(); ++i) {
        const auto reply = xcbReply(xcb_intern_atom_reply(c, cookies[i], nullptr));
        const xcb_atom_t atom = reply ? reply->atom : 0;
        if (i == 0)
            atoms.windowType = atom;
        else if (atom)
            atoms.ceilingTypes.push_back(atom);
    }
    return atoms;
}

StackLookResult lookAtStack(xcb_connection_t* c, xcb_window_t root, const StackAtoms& atoms,
                            const std::vector<xcb_window_t>& panels, const std::vector<xcb_window_t>& ownCeilings,
                            const std::vector<xcb_window_t>& guess, const std::set<xcb_window_t>& knownHidden) {
    StackLook look(c, root, atoms);
    StackLookResult result;
    result.placed = look.run(panels, ownCeilings, guess, knownHidden);
    result.readShown = look.readShown();
    result.readHidden = look.readHidden();
    return result;
}

}  // namespace platform::qt
