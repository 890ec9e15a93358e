#include "desktop/X11Window.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t *connection()
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// The atoms of a list property (ATOM, format 32).
std::vector<xcb_atom_t> atoms(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM)
        return {};
    const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    return std::vector<xcb_atom_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

bool contains(const std::vector<xcb_atom_t> &list, xcb_atom_t wanted)
{
    return std::find(list.begin(), list.end(), wanted) != list.end();
}

xcb_window_t nativeWindow(QWidget *window)
{
    return window ? xcb_window_t(window->window()->winId()) : 0;
}

void sendToRoot(xcb_connection_t *c, xcb_client_message_event_t event, quint32 mask)
{
    event.response_type = XCB_CLIENT_MESSAGE;
    xcb_send_event(c, 0, rootOf(c), mask, reinterpret_cast<const char *>(&event));
}

constexpr quint32 ToWindowManager = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

// Ends a launcher's feedback for a start (the startup-notification protocol):
// the message goes to the root in pieces of 20 bytes, the last one ending in NUL.
void sendStartupRemove(xcb_connection_t *c, xcb_window_t from, const QByteArray &startupId)
{
    QByteArray text = "remove: ID=\"" + QByteArray(startupId).replace('\\', "\\\\").replace('"', "\\\"") + '"';
    text.append('\0');
    const xcb_atom_t begin = atom(c, "_NET_STARTUP_INFO_BEGIN"), more = atom(c, "_NET_STARTUP_INFO");
    for (qsizetype at = 0; at < text.size(); at += 20) {
        xcb_client_message_event_t event{};
        event.format = 8;
        event.window = from;
        event.type = at == 0 ? begin : more;
        std::memcpy(event.data.data8, text.constData() + at, size_t(qMin<qsizetype>(20, text.size() - at)));
        sendToRoot(c, event, XCB_EVENT_MASK_PROPERTY_CHANGE);
    }
}

} // namespace

namespace X11Window {

bool isAvailable()
{
    return connection() != nullptr;
}

void setSkipTaskbar(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_window_t id = nativeWindow(window);
    const xcb_atom_t state = atom(c, "_NET_WM_STATE"), skip = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
        // A mapped window asks the window manager (1 = add).
        xcb_client_message_event_t event{};
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = 1;
        event.data.data32[1] = skip;
        event.data.data32[3] = 1; // from a normal application
        sendToRoot(c, event, ToWindowManager);
    } else if (std::vector<xcb_atom_t> states = atoms(c, id, state); !contains(states, skip)) {
        // An unmapped one carries it in the property, which Qt extends when it maps the window.
        states.push_back(skip);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, quint32(states.size()),
                            states.data());
    }
    xcb_flush(c);
}

void setWithoutMinimize(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_atom_t types[] = {atom(c, "_NET_WM_WINDOW_TYPE_MENU"), atom(c, "_NET_WM_WINDOW_TYPE_DIALOG")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, nativeWindow(window), atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                        32, 2, types);
    xcb_flush(c);
}

void setStartsNormal(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_window_t id = nativeWindow(window);
    // WM_HINTS: flags, input, initial_state, icon pixmap, icon window, icon x, y, icon mask, window group.
    constexpr quint32 StateHint = 1u << 1, NormalState = 1;
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr));
    quint32 hints[9] = {};
    if (reply && reply->format == 32)
        std::memcpy(hints, xcb_get_property_value(reply.get()),
                    std::min<size_t>(sizeof hints, size_t(xcb_get_property_value_length(reply.get()))));
    hints[0] |= StateHint;
    hints[2] = NormalState;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    xcb_flush(c);
}

bool isIconic(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return false;
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, nativeWindow(window), wmState, wmState, 0, 2), nullptr));
    constexpr quint32 IconicState = 3;
    return reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4
        && *static_cast<const quint32 *>(xcb_get_property_value(reply.get())) == IconicState;
}

bool startMove(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return false;
    const xcb_window_t root = rootOf(c);
    const xcb_atom_t moveResize = atom(c, "_NET_WM_MOVERESIZE");
    if (!contains(atoms(c, root, atom(c, "_NET_SUPPORTED")), moveResize))
        return false;
    const Reply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr));
    if (!pointer)
        return false;
    // The window manager takes the pointer over; it must not stay grabbed by us.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_client_message_event_t event{};
    event.format = 32;
    event.window = nativeWindow(window);
    event.type = moveResize;
    event.data.data32[0] = quint32(pointer->root_x);
    event.data.data32[1] = quint32(pointer->root_y);
    event.data.data32[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    event.data.data32[3] = XCB_BUTTON_INDEX_1;
    event.data.data32[4] = 1; // from a normal application
    sendToRoot(c, event, ToWindowManager);
    xcb_flush(c);
    return true;
}

bool isCompositing()
{
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    // The manager of the first screen: the one Qt's windows live on.
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, "_NET_WM_CM_S0")), nullptr));
    return owner && owner->owner != XCB_NONE;
}

quint32 serverTime()
{
    // A property change on a window of our own comes back with the server's time.
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    quint32 time = 0;
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t probe = xcb_generate_id(c);
        const quint32 events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, rootOf(c), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        xcb_change_property(c, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(c);
        while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
            const bool found = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
            if (found)
                time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
            std::free(event);
            if (found)
                break;
        }
    }
    xcb_disconnect(c);
    return time;
}

quint32 timeOfStartupId(const QByteArray &startupId)
{
    const qsizetype at = startupId.lastIndexOf("_TIME");
    bool ok = false;
    const quint32 time = at < 0 ? 0 : startupId.mid(at + 5).toUInt(&ok);
    return ok ? time : 0;
}

bool activate(QWidget *window, const QByteArray &startupId)
{
    xcb_connection_t *c = connection();
    if (!c || !window || startupId.isEmpty())
        return false;
    const xcb_window_t id = nativeWindow(window);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_STARTUP_ID"), atom(c, "UTF8_STRING"), 8,
                        quint32(startupId.size()), startupId.constData());
    sendStartupRemove(c, id, startupId);
    const quint32 time = timeOfStartupId(startupId);
    if (time) {
        xcb_client_message_event_t event{};
        event.format = 32;
        event.window = id;
        event.type = atom(c, "_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 1; // from a normal application
        event.data.data32[1] = time;
        sendToRoot(c, event, ToWindowManager);
    }
    xcb_flush(c);
    return time != 0;
}

}
