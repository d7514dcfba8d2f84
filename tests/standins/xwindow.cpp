// Stand-in for the recorder's window made with plain Xlib, its title in WM_NAME.
// Usage: xwindow [--utf8] [--frame] [--pid=PID] [--unmapped] TITLE RECORD
// --utf8: the title is in _NET_WM_NAME only, as toolkits put it, and WM_NAME holds another.
// --frame: puts the window inside a frame and marks it with WM_STATE, as a window manager does.
// --pid=PID: says in _NET_WM_PID that process PID made the window.
// --unmapped: never puts the window on screen, so it cannot take the focus.
// Prints "shown" once the window is on screen (at once when unmapped) and appends "F12" to RECORD
// for every press of F12.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

int main(int argc, char *argv[])
{
    bool framed = false;
    bool unmapped = false;
    bool utf8 = false;
    long pid = 0;
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        if (std::strcmp(argv[first], "--frame") == 0)
            framed = true;
        else if (std::strcmp(argv[first], "--unmapped") == 0)
            unmapped = true;
        else if (std::strcmp(argv[first], "--utf8") == 0)
            utf8 = true;
        else if (std::strncmp(argv[first], "--pid=", 6) == 0)
            pid = std::atol(argv[first] + 6);
        else
            return 2;
    }
    if (argc - first != 2)
        return 2;
    const char *title = argv[first];
    const char *record = argv[first + 1];

    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 3;
    const Window root = DefaultRootWindow(display);
    const unsigned long white = WhitePixel(display, DefaultScreen(display));

    Window parent = root;
    Window frame = None;
    if (framed) {
        frame = XCreateSimpleWindow(display, root, 10, 10, 340, 240, 0, 0, white);
        parent = frame;
    }
    const Window window = XCreateSimpleWindow(display, parent, framed ? 10 : 0, framed ? 30 : 0, 320, 200, 0, 0, white);
    XStoreName(display, window, utf8 ? "another name" : title);
    if (utf8) {
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(title), int(std::strlen(title)));
    }
    if (framed) {
        const Atom wmState = XInternAtom(display, "WM_STATE", False);
        const long state[2] = {NormalState, None};
        XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(state), 2);
    }
    if (pid != 0) {
        const Atom netWmPid = XInternAtom(display, "_NET_WM_PID", False);
        XChangeProperty(display, window, netWmPid, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&pid), 1);
    }
    XSelectInput(display, window, ExposureMask | KeyPressMask);
    if (!unmapped) {
        XMapWindow(display, window);
        if (framed)
            XMapWindow(display, frame);
    } else {
        XSync(display, False);
        std::puts("shown");
        std::fflush(stdout);
    }

    bool shown = unmapped;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == Expose && !shown) {
            shown = true;
            std::puts("shown");
            std::fflush(stdout);
        } else if (event.type == KeyPress && XLookupKeysym(&event.xkey, 0) == XK_F12) {
            if (FILE *file = std::fopen(record, "a")) {
                std::fputs("F12\n", file);
                std::fclose(file);
            }
        }
    }
}
