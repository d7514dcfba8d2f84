#include "X11WindowKeystrokes.h"

#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <QList>

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

bool isViewable(Display *display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// An exact title beats a title that only begins with the text; a shown window beats a hidden one.
Window findWindow(Display *display, const QString &title)
{
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Window best = None;
    int bestRank = 0;
    for (const Window topLevel : childrenOf(display, DefaultRootWindow(display))) {
        const Window client = clientWindow(display, topLevel, wmState);
        const QString name = titleOf(display, client);
        if (!name.startsWith(title))
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
    XTestFakeKeyEvent(display.get(), key, True, CurrentTime);
    XTestFakeKeyEvent(display.get(), key, False, CurrentTime);
    XSync(display.get(), False);
    return true;
}
