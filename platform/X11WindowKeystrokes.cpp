#include "X11WindowKeystrokes.h"

#include <memory>

#include <unistd.h>

// Before Xlib, whose macros clash with Qt's names.
#include <QDeadlineTimer>
#include <QList>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

struct DisplayCloser
{
    void operator()(Display *display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Windows may vanish while the tree is read; Xlib's default handler would end the program.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

class ErrorHandlerScope
{
public:
    ErrorHandlerScope() : m_previous(XSetErrorHandler(ignoreErrors)) {}
    ~ErrorHandlerScope() { XSetErrorHandler(m_previous); }
    ErrorHandlerScope(const ErrorHandlerScope &) = delete;
    ErrorHandlerScope &operator=(const ErrorHandlerScope &) = delete;

private:
    XErrorHandler m_previous;
};

QList<Window> childrenOf(Display *display, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    QList<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children)
        result = QList<Window>(children, children + count);
    if (children)
        XFree(children);
    return result;
}

bool hasProperty(Display *display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType,
                                          &type, &format, &items, &remaining, &data);
    if (data)
        XFree(data);
    return status == Success && type != None;
}

// Under a window manager the application's window sits inside a frame; the WM marks it
// with WM_STATE. Without a window manager the top-level window is the client itself.
Window clientWindow(Display *display, Window topLevel, Atom wmState)
{
    if (hasProperty(display, topLevel, wmState))
        return topLevel;
    QList<Window> pending = childrenOf(display, topLevel);
    while (!pending.isEmpty()) {
        const Window window = pending.takeFirst();
        if (hasProperty(display, window, wmState))
            return window;
        pending.append(childrenOf(display, window));
    }
    return topLevel;
}

QString netWmName(Display *display, Window window)
{
    const Atom netWmNameAtom = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QString name;
    if (XGetWindowProperty(display, window, netWmNameAtom, 0, 1024, False, utf8, &type, &format,
                           &items, &remaining, &data) == Success
        && type == utf8 && format == 8 && data)
        name = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(items));
    if (data)
        XFree(data);
    return name;
}

QString wmName(Display *display, Window window)
{
    XTextProperty property{};
    if (!XGetWMName(display, window, &property) || !property.value)
        return {};
    QString name;
    char **list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && list) {
        if (count > 0)
            name = QString::fromUtf8(list[0]);
        XFreeStringList(list);
    }
    XFree(property.value);
    return name;
}

QString titleOf(Display *display, Window window)
{
    const QString name = netWmName(display, window);
    return name.isEmpty() ? wmName(display, window) : name;
}

// The process that made the window, as it says itself; 0 when it does not say.
unsigned long windowPid(Display *display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    unsigned long pid = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &items, &remaining, &data) == Success
        && type == XA_CARDINAL && format == 32 && items == 1 && data)
        pid = *reinterpret_cast<const unsigned long *>(data);
    if (data)
        XFree(data);
    return pid;
}

bool isViewable(Display *display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// An exact title beats a title that only begins with the text; a shown window beats a hidden one.
// This program's own windows never count: "Quillsound 计划" begins like the recorder's title.
Window findWindow(Display *display, const QString &title)
{
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const unsigned long ownPid = unsigned(::getpid());
    Window best = None;
    int bestRank = 0;
    for (const Window topLevel : childrenOf(display, DefaultRootWindow(display))) {
        const Window client = clientWindow(display, topLevel, wmState);
        const QString name = titleOf(display, client);
        if (!name.startsWith(title) || windowPid(display, client) == ownPid)
            continue;
        const int rank = 1 + (name == title ? 2 : 0) + (isViewable(display, client) ? 1 : 0);
        if (rank > bestRank) {
            best = client;
            bestRank = rank;
        }
    }
    return best;
}

void activate(Display *display, Window window)
{
    const Window root = DefaultRootWindow(display);
    XRaiseWindow(display, window);

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // asked for by the user, so a WM does not treat it as focus stealing
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);

    // Without a window manager nobody answers the message above.
    if (isViewable(display, window))
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
}

bool isActive(Display *display, Window window)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // The focus may rest on a window inside the client, as toolkits put it.
    for (Window inside = focus; inside != None && inside != PointerRoot;) {
        if (inside == window)
            return true;
        Window root = None;
        Window parent = None;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, inside, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (parent == root)
            break;
        inside = parent;
    }
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    bool active = false;
    if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_ACTIVE_WINDOW", False),
                           0, 1, False, XA_WINDOW, &type, &format, &items, &remaining, &data) == Success
        && type == XA_WINDOW && format == 32 && items == 1 && data)
        active = *reinterpret_cast<const Window *>(data) == window;
    if (data)
        XFree(data);
    return active && focus != None;
}

// Keys go to whichever window has the focus, so they wait until the window has taken it.
bool waitUntilActive(Display *display, Window window)
{
    constexpr int activationWaitMs = 500;
    const QDeadlineTimer deadline(activationWaitMs);
    while (!isActive(display, window)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

} // namespace

bool X11WindowKeystrokes::activateAndSendF12(const QString &title)
{
    return activateAndSendKey(title, XK_F12);
}

bool X11WindowKeystrokes::activateAndSendKey(const QString &title, unsigned long keySymbol)
{
    if (title.isEmpty())
        return false;
    // Set before the display opens so that it still holds while the display closes.
    const ErrorHandlerScope errorHandler;
    const DisplayPtr display(XOpenDisplay(nullptr));
    if (!display)
        return false;

    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display.get(), &eventBase, &errorBase, &major, &minor))
        return false;
    const KeyCode key = XKeysymToKeycode(display.get(), KeySym(keySymbol));
    if (key == 0)
        return false;

    const Window window = findWindow(display.get(), title);
    if (window == None)
        return false;

    activate(display.get(), window);
    if (!waitUntilActive(display.get(), window))
        return false;
    XTestFakeKeyEvent(display.get(), key, True, CurrentTime);
    XTestFakeKeyEvent(display.get(), key, False, CurrentTime);
    XSync(display.get(), False);
    return true;
}
