// The dialog's window on GTK 3. It only shows the layer's DialogState and
// passes clicks, keys and the close box to the dialog manager (dialog.cpp);
// controls sit at their template places, dialog units turned into pixels
// with the template font's average character size.
#include <gtk/gtk.h>

#include <cmath>
#include <string>

#include "platform/win32/dialog_state.h"

namespace {

struct ControlRef {
    DialogState* dialog;
    int index;
};

}  // namespace

struct DialogView {
    GtkWidget* window = nullptr;
    std::vector<GtkWidget*> widgets;  // one per control, template order
    std::vector<ControlRef> refs;     // signal data, one per control
    GtkCssProvider* css = nullptr;
    int baseX = 0;  // dialog base units: pixels per 4 horizontal, 8 vertical units
    int baseY = 0;
    // The widgets' own signals are not input while the layer sets them.
    bool updating = false;
    // What was last handed to the window, so it is only moved when asked.
    int shownX = 0;
    int shownY = 0;
    bool shownMoved = false;
    int shownWidth = 0;
    int shownHeight = 0;
    bool shownTopmost = false;
};

namespace {

// MulDiv: a * b / c, rounded to nearest.
int mulDiv(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

int toPixelsX(const DialogView& view, int units) { return mulDiv(units, view.baseX, 4); }
int toPixelsY(const DialogView& view, int units) { return mulDiv(units, view.baseY, 8); }

// The resource text without its mnemonic marks ("&&" is a literal '&').
std::string plainText(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '&') {
            if (p[1] != '&') continue;
            ++p;
        }
        out += *p;
    }
    return out;
}

// Base units as Windows takes them from the dialog font: the average width of
// the 52 letters, rounded, and the font's height.
void measureFont(DialogView& view, const DialogTemplate& t) {
    PangoLayout* layout = gtk_widget_create_pango_layout(
        view.window, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    if (t.typeface) {
        PangoFontDescription* font = pango_font_description_new();
        pango_font_description_set_family(font, t.typeface);
        pango_font_description_set_size(font, (t.pointSize > 0 ? t.pointSize : 8) * PANGO_SCALE);
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
    }
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    view.baseX = width > 0 ? (width / 26 + 1) / 2 : 6;
    view.baseY = height > 0 ? height : 13;
}

// The template font for every widget, and buttons no taller than their
// template boxes.
GtkCssProvider* makeCss(const DialogTemplate& t) {
    std::string css;
    if (t.typeface) {
        std::string face;
        for (const char* p = t.typeface; *p; ++p)
            if (*p != '"' && *p != '\\') face += *p;
        css += "* { font-family: \"" + face + "\"; font-size: " +
               std::to_string(t.pointSize > 0 ? t.pointSize : 8) + "pt; }\n";
    }
    css += "button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
           "checkbutton { min-height: 0; padding: 0; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    return provider;
}

void applyCss(GtkWidget* widget, gpointer provider) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), applyCss, provider);
}

void onClicked(GtkButton*, gpointer data) {
    ControlRef* ref = static_cast<ControlRef*>(data);
    if (ref->dialog->view->updating) return;
    win32layer::clickControl(*ref->dialog, ref->index);
}

// Focus moved by GTK itself (a mouse press on a control).
void onSetFocus(GtkWindow*, GtkWidget* widget, gpointer data) {
    DialogState& dialog = *static_cast<DialogState*>(data);
    if (!widget || dialog.view->updating) return;
    const std::vector<GtkWidget*>& widgets = dialog.view->widgets;
    for (size_t i = 0; i < widgets.size(); ++i)
        if (widgets[i] == widget) dialog.focus = static_cast<int>(i);
}

gboolean onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    DialogState& dialog = *static_cast<DialogState*>(data);
    bool shift = (event->state & GDK_SHIFT_MASK) != 0;
    bool alt = (event->state & GDK_MOD1_MASK) != 0;
    int key = 0;
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: key = VK_RETURN; break;
    case GDK_KEY_Escape: key = VK_ESCAPE; break;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space: key = VK_SPACE; break;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab: key = VK_TAB; break;
    case GDK_KEY_ISO_Left_Tab:
        key = VK_TAB;
        shift = true;
        break;
    case GDK_KEY_F4: key = VK_F4; break;
    default: break;
    }
    if (key) win32layer::pressKey(dialog, key, shift, alt);
    // Every key belongs to the dialog manager; GTK's own key bindings would
    // act behind its back.
    return TRUE;
}

// The close box, and Alt+F4 where a window manager turns it into a close request.
gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    win32layer::closeDialog(*static_cast<DialogState*>(data));
    return TRUE;
}

}  // namespace

namespace win32layer {

bool dialogDisplayReady() {
    static int ready = -1;
    if (ready < 0) {
        // The process keeps the C locale: numbers in data files are read with '.'.
        gtk_disable_setlocale();
        ready = gtk_init_check(nullptr, nullptr) ? 1 : 0;
    }
    return ready == 1;
}

bool openDialogView(DialogState& dialog) {
    const DialogTemplate& t = *dialog.dialogTemplate;
    DialogView* view = new DialogView();
    dialog.view = view;

    GtkWindow* window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    view->window = GTK_WIDGET(window);
    gtk_window_set_title(window, t.caption ? t.caption : "");
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_deletable(window, (t.style & WS_SYSMENU) != 0);
    view->css = makeCss(t);
    applyCss(view->window, view->css);
    measureFont(*view, t);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, toPixelsX(*view, t.cx), toPixelsY(*view, t.cy));
    gtk_container_add(GTK_CONTAINER(window), fixed);

    size_t count = dialog.controls.size();
    view->refs.reserve(count);  // signal data must not move
    GtkWidget* defaultButton = nullptr;
    for (size_t i = 0; i < count; ++i) {
        const DialogItemTemplate& item = *dialog.controls[i].item;
        std::string text = plainText(item.text ? item.text : "");
        GtkWidget* widget;
        DWORD kind = item.style & BS_TYPEMASK;
        if (kind == BS_AUTOCHECKBOX) {
            widget = gtk_check_button_new_with_label(text.c_str());
        } else {
            widget = gtk_button_new_with_label(text.c_str());
            gtk_widget_set_can_default(widget, TRUE);
            if (kind == BS_DEFPUSHBUTTON && !defaultButton) defaultButton = widget;
        }
        gtk_widget_set_size_request(widget, toPixelsX(*view, item.cx), toPixelsY(*view, item.cy));
        gtk_fixed_put(GTK_FIXED(fixed), widget, toPixelsX(*view, item.x), toPixelsY(*view, item.y));
        applyCss(widget, view->css);
        if (item.style & WS_VISIBLE) gtk_widget_show(widget);
        view->widgets.push_back(widget);
        view->refs.push_back({&dialog, static_cast<int>(i)});
        g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), &view->refs.back());
    }
    gtk_widget_show(fixed);
    if (defaultButton) gtk_widget_grab_default(defaultButton);

    g_signal_connect(window, "key-press-event", G_CALLBACK(onKeyPress), &dialog);
    g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), &dialog);
    g_signal_connect(window, "set-focus", G_CALLBACK(onSetFocus), &dialog);

    // Where the template puts it until the procedure moves it.
    gtk_window_move(window, toPixelsX(*view, t.x), toPixelsY(*view, t.y));
    updateDialogView(dialog);
    return true;
}

void updateDialogView(DialogState& dialog) {
    DialogView* view = dialog.view;
    if (!view) return;
    view->updating = true;
    GtkWindow* window = GTK_WINDOW(view->window);
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        if ((dialog.controls[i].item->style & BS_TYPEMASK) != BS_AUTOCHECKBOX) continue;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(view->widgets[i]),
                                     dialog.controls[i].check == BST_CHECKED);
    }
    if (dialog.focus >= 0 && gtk_window_get_focus(window) != view->widgets[dialog.focus])
        gtk_widget_grab_focus(view->widgets[dialog.focus]);
    if (dialog.moved && (!view->shownMoved || view->shownX != dialog.x || view->shownY != dialog.y)) {
        gtk_window_move(window, dialog.x, dialog.y);
        view->shownMoved = true;
        view->shownX = dialog.x;
        view->shownY = dialog.y;
    }
    if (dialog.sized && (view->shownWidth != dialog.width || view->shownHeight != dialog.height)) {
        gtk_window_resize(window, dialog.width > 0 ? dialog.width : 1,
                          dialog.height > 0 ? dialog.height : 1);
        view->shownWidth = dialog.width;
        view->shownHeight = dialog.height;
    }
    if (view->shownTopmost != dialog.topmost) {
        // Kept above where the window manager honours it.
        gtk_window_set_keep_above(window, dialog.topmost);
        view->shownTopmost = dialog.topmost;
    }
    view->updating = false;
}

void runDialogView(DialogState& dialog) {
    // The dialog manager picks the focus before GTK can pick one of its own.
    activateDialog(dialog);
    gtk_widget_show(dialog.view->window);
    gtk_window_present(GTK_WINDOW(dialog.view->window));
    // Modal: nothing else of the program runs until the dialog has ended.
    while (!dialog.ended) gtk_main_iteration();
}

void closeDialogView(DialogState& dialog) {
    DialogView* view = dialog.view;
    if (!view) return;
    gtk_widget_destroy(view->window);
    // Gone from the screen before the program goes on to open its own window.
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    gdk_display_sync(gdk_display_get_default());
    g_object_unref(view->css);
    delete view;
    dialog.view = nullptr;
}

}  // namespace win32layer
