// Stand-in for the recorder's window made with plain Xlib, its title in WM_NAME.
// Usage: xwindow [--utf8] [--frame] [--pid=PID] [--unmapped] TITLE RECORD
// --utf8: the title is in _NET_WM_NAME only, as toolkits put it, and WM_NAME holds another.
// --frame: puts the window inside a frame and marks it with WM_STATE, as a window manager does.
// --pid=PID: says in _NET_WM_PID that process PID made the window.
// --unmapped: never puts the window on screen, so it cannot take the focus.
// Prints "shown" once on screen (at once when unmapped), then appends "F12" to RECORD for every F12.
// For each line on standard input it prints "synced" once every event the server sent before has been taken.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <poll.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    bool framed = false, unmapped = false, utf8 = false;
    long pid = 0;
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        framed |= std::strcmp(argv[first], "--frame") == 0;
        unmapped |= std::strcmp(argv[first], "--unmapped") == 0;
        utf8 |= std::strcmp(argv[first], "--utf8") == 0;
        if (std::strncmp(argv[first], "--pid=", 6) == 0)
            pid = std::atol(argv[first] + 6);
    }
    Display *display = argc - first == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    const char *title = argv[first];
    const Window root = DefaultRootWindow(display);
    const unsigned long white = WhitePixel(display, DefaultScreen(display));
    const Window frame = framed ? XCreateSimpleWindow(display, root, 10, 10, 340, 240, 0, 0, white) : None;
    const Window window = XCreateSimpleWindow(display, framed ? frame : root, 10, 30, 320, 200, 0, 0, white);
    XStoreName(display, window, utf8 ? "another name" : title);
    const auto setProperty = [display, window](const char *name, Atom type, int format, const void *data, int count) {
        XChangeProperty(display, window, XInternAtom(display, name, False), type, format, PropModeReplace,
                        static_cast<const unsigned char *>(data), count);
    };
    if (utf8)
        setProperty("_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 8, title, int(std::strlen(title)));
    const long state[2] = {NormalState, None};
    if (framed)
        setProperty("WM_STATE", XInternAtom(display, "WM_STATE", False), 32, state, 2);
    if (pid != 0)
        setProperty("_NET_WM_PID", XA_CARDINAL, 32, &pid, 1);
    XSelectInput(display, window, ExposureMask | KeyPressMask);
    XEvent event;
    if (!unmapped) {
        XMapWindow(display, window);
        if (framed)
            XMapWindow(display, frame);
        do
            XNextEvent(display, &event);
        while (event.type != Expose);
    }
    XSync(display, False);
    std::puts("shown");
    std::fflush(stdout);
    const auto takeEvents = [display, record = argv[first + 1]] {
        XEvent taken;
        while (XPending(display)) {
            XNextEvent(display, &taken);
            if (taken.type != KeyPress || XLookupKeysym(&taken.xkey, 0) != XK_F12)
                continue;
            if (FILE *file = std::fopen(record, "a")) {
                std::fputs("F12\n", file);
                std::fclose(file);
            }
        }
    };
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        takeEvents();
        if (poll(watched, 2, -1) < 0 || !(watched[1].revents & (POLLIN | POLLHUP)))
            continue;
        char line[64];
        if (!std::fgets(line, sizeof line, stdin))
            return 0;
        // The reply to a round trip comes after every event the server sent this client before it.
        XSync(display, False);
        takeEvents();
        std::puts("synced");
        std::fflush(stdout);
    }
}
