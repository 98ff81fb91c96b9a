// What the end-to-end tests need of the X server that the command-line tools do not give: the
// server's current time, and the desktop's launch notifications (the freedesktop startup
// notification messages on the root window), as a launcher sends and a desktop receives them.
//
//   x11probe time                  the server's current time
//   x11probe launch NAME           as a launcher does before it starts a program: a startup id
//                                  stamped with the current time, announced with "new:"; prints
//                                  the id
//   x11probe watch-remove ID SECS  prints "ready" once it listens, then waits up to SECS seconds
//                                  for "remove: ID=ID"; exit 0 when it came, 1 otherwise
//
// The display is $DISPLAY. Exit 2 on a usage or connection error.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Free
{
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The server's time now: a property change on a window of our own comes back stamped with it.
xcb_timestamp_t serverTime(xcb_connection_t* c, xcb_screen_t* screen)
{
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, 0, w, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(c);
    xcb_timestamp_t time = 0;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        const Reply<xcb_generic_event_t> event(e);
        if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            time = reinterpret_cast<xcb_property_notify_event_t*>(e)->time;
            break;
        }
    }
    xcb_destroy_window(c, w);
    xcb_flush(c);
    return time;
}

// One startup notification message, in pieces of 20 bytes (the first as _NET_STARTUP_INFO_BEGIN,
// the rest as _NET_STARTUP_INFO), ending with its NUL byte.
void sendStartupMessage(xcb_connection_t* c, xcb_screen_t* screen, const std::string& message)
{
    const xcb_atom_t begin = atom(c, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(c, "_NET_STARTUP_INFO");
    const xcb_window_t sender = xcb_generate_id(c);
    xcb_create_window(c, 0, sender, screen->root, -100, -100, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, 0, nullptr);
    const size_t length = message.size() + 1;
    for (size_t sent = 0; sent < length; sent += 20) {
        xcb_client_message_event_t ev = {};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 8;
        ev.window = sender;
        ev.type = sent == 0 ? begin : more;
        std::memcpy(ev.data.data8, message.c_str() + sent, std::min<size_t>(20, length - sent));
        xcb_send_event(
            c, 0, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&ev));
    }
    xcb_destroy_window(c, sender);
    xcb_flush(c);
}

// The value of KEY in a startup message ("remove: ID=abc NAME=\"a b\""), unquoted; "" if none.
std::string messageValue(const std::string& message, const std::string& key)
{
    size_t i = message.find(':');
    if (i == std::string::npos)
        return {};
    ++i;
    while (i < message.size()) {
        while (i < message.size() && message[i] == ' ')
            ++i;
        const size_t eq = message.find('=', i);
        if (eq == std::string::npos)
            return {};
        const std::string name = message.substr(i, eq - i);
        std::string value;
        bool quoted = false;
        for (i = eq + 1; i < message.size(); ++i) {
            const char ch = message[i];
            if (ch == '\\' && i + 1 < message.size())
                value += message[++i];
            else if (ch == '"')
                quoted = !quoted;
            else if (ch == ' ' && !quoted)
                break;
            else
                value += ch;
        }
        if (name == key)
            return value;
    }
    return {};
}

int watchRemove(xcb_connection_t* c, xcb_screen_t* screen, const std::string& id, int seconds)
{
    const xcb_atom_t begin = atom(c, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(c, "_NET_STARTUP_INFO");
    // Client messages sent to the root with this mask reach every client that selected it there.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    Reply<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("ready\n");
    std::fflush(stdout);

    std::map<xcb_window_t, std::string> partial;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            if (xcb_connection_has_error(c))
                return 2;
            pollfd fd = { xcb_get_file_descriptor(c), POLLIN, 0 };
            ::poll(&fd, 1, 100);
            continue;
        }
        const Reply<xcb_generic_event_t> event(e);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            continue;
        const auto* cm = reinterpret_cast<xcb_client_message_event_t*>(e);
        if (cm->format != 8 || (cm->type != begin && cm->type != more))
            continue;
        std::string& text = partial[cm->window];
        if (cm->type == begin)
            text.clear();
        const char* data = reinterpret_cast<const char*>(cm->data.data8);
        const size_t n = strnlen(data, 20);
        text.append(data, n);
        if (n == 20)
            continue; // more pieces follow
        const std::string message = text;
        partial.erase(cm->window);
        std::printf("%s\n", message.c_str());
        std::fflush(stdout);
        if (message.rfind("remove:", 0) == 0 && messageValue(message, "ID") == id)
            return 0;
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "usage: x11probe time | launch NAME | watch-remove ID SECONDS\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        std::fprintf(stderr, "x11probe: cannot connect to the X server\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    int status = 2;
    if (args[0] == "time" && args.size() == 1) {
        std::printf("%u\n", serverTime(c, screen));
        status = 0;
    } else if (args[0] == "launch" && args.size() == 2) {
        const xcb_timestamp_t time = serverTime(c, screen);
        const std::string id = "x11probe-" + std::to_string(::getpid()) + "-" + args[1] + "_TIME"
            + std::to_string(time);
        sendStartupMessage(
            c, screen, "new: ID=" + id + " NAME=" + args[1] + " SCREEN=0 BIN=" + args[1]);
        std::printf("%s\n", id.c_str());
        status = 0;
    } else if (args[0] == "watch-remove" && args.size() == 3) {
        status = watchRemove(c, screen, args[1], std::atoi(args[2].c_str()));
    } else {
        std::fprintf(stderr, "x11probe: unknown command\n");
    }
    xcb_disconnect(c);
    return status;
}
