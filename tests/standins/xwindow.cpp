// Stand-in for the recorder's window made with plain Xlib: its title is only in WM_NAME.
// Usage: xwindow [--frame] TITLE RECORD
// --frame: puts the window inside a frame and marks it with WM_STATE, as a window manager does.
// Prints "shown" once the window is on screen and appends "F12" to RECORD for every press of F12.
#include <cstdio>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

int main(int argc, char *argv[])
{
    const bool framed = argc == 4 && std::strcmp(argv[1], "--frame") == 0;
    if (argc != (framed ? 4 : 3))
        return 2;
    const char *title = argv[framed ? 2 : 1];
    const char *record = argv[framed ? 3 : 2];

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
    XStoreName(display, window, title);
    if (framed) {
        const Atom wmState = XInternAtom(display, "WM_STATE", False);
        const long state[2] = {NormalState, None};
        XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(state), 2);
    }
    XSelectInput(display, window, ExposureMask | KeyPressMask);
    XMapWindow(display, window);
    if (framed)
        XMapWindow(display, frame);

    bool shown = false;
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
