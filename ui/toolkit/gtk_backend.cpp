#include "ui/toolkit/gtk_backend.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/utf_conversion.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/edit.h"
#include "ui/toolkit/render_context.h"

namespace skinui {
namespace {

std::string ColorCss(Color color) {
    char text[48];
    std::snprintf(text, sizeof text, "rgba(%u,%u,%u,%.3f)", (color >> 16) & 0xFF, (color >> 8) & 0xFF,
                  color & 0xFF, ((color >> 24) & 0xFF) / 255.0);
    return text;
}

// Replaces the widget's own style sheet.
void SetWidgetCss(GtkWidget* widget, const std::string& css) {
    auto* provider = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(widget), "skinui-css"));
    if (!provider) {
        provider = gtk_css_provider_new();
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
        g_object_set_data_full(G_OBJECT(widget), "skinui-css", provider, g_object_unref);
    }
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
}

std::string FontCss(const std::string& font) {
    PangoFontDescription* description = pango_font_description_from_string(font.c_str());
    std::string css;
    if (const char* family = pango_font_description_get_family(description)) {
        css += "font-family: \"" + std::string(family) + "\";";
    }
    int size = pango_font_description_get_size(description) / PANGO_SCALE;
    if (size > 0) css += "font-size: " + std::to_string(size) + "px;";
    css += pango_font_description_get_weight(description) >= PANGO_WEIGHT_BOLD ? "font-weight: bold;"
                                                                               : "font-weight: normal;";
    pango_font_description_free(description);
    return css;
}

class CGtkNativeWindow;

// --- text fields ----------------------------------------------------------------------------------------

class CGtkTextEntry : public INativeTextEntry {
public:
    CGtkTextEntry(GtkWidget* fixed, CEdit* edit, bool multiline)
        : fixed_(fixed), edit_(edit), multiline_(multiline) {
        if (multiline_) {
            widget_ = gtk_text_view_new();
            gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(widget_), GTK_WRAP_WORD_CHAR);
            g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget_)), "changed",
                             G_CALLBACK(&CGtkTextEntry::OnChanged), this);
        } else {
            widget_ = gtk_entry_new();
            gtk_entry_set_has_frame(GTK_ENTRY(widget_), FALSE);
            g_signal_connect(widget_, "changed", G_CALLBACK(&CGtkTextEntry::OnChanged), this);
        }
        g_signal_connect(widget_, "focus-in-event", G_CALLBACK(&CGtkTextEntry::OnFocusIn), this);
        g_signal_connect(widget_, "focus-out-event", G_CALLBACK(&CGtkTextEntry::OnFocusOut), this);
        gtk_fixed_put(GTK_FIXED(fixed_), widget_, 0, 0);
        gtk_widget_set_no_show_all(widget_, TRUE);
    }

    ~CGtkTextEntry() override {
        g_signal_handlers_disconnect_by_data(widget_, this);
        if (multiline_)
            g_signal_handlers_disconnect_by_data(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget_)), this);
        gtk_widget_destroy(widget_);
    }

    void SetText(const std::u16string& text) override {
        std::string utf8 = Utf16ToUtf8(text);
        setting_ = true;
        if (multiline_) {
            gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget_)), utf8.c_str(), -1);
        } else {
            gtk_entry_set_text(GTK_ENTRY(widget_), utf8.c_str());
        }
        setting_ = false;
    }

    void SetRect(const CRect& rect, bool visible) override {
        gtk_fixed_move(GTK_FIXED(fixed_), widget_, rect.left, rect.top);
        gtk_widget_set_size_request(widget_, std::max(1, rect.Width()), std::max(1, rect.Height()));
        if (!multiline_) gtk_entry_set_width_chars(GTK_ENTRY(widget_), 1);
        if (visible) {
            gtk_widget_show(widget_);
        } else {
            gtk_widget_hide(widget_);
        }
    }

    void SetReadOnly(bool read_only) override {
        read_only_ = read_only;
        ApplyEditable();
    }

    // A disabled field is a read-only display: it keeps its colours and takes no focus.
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        ApplyEditable();
    }

    void SetStyle(const std::string& font, Color text_color, int align, bool) override {
        int horizontal = align & kAlignHMask;
        if (multiline_) {
            gtk_text_view_set_justification(GTK_TEXT_VIEW(widget_),
                                            horizontal == kAlignCenter  ? GTK_JUSTIFY_CENTER
                                            : horizontal == kAlignRight ? GTK_JUSTIFY_RIGHT
                                                                        : GTK_JUSTIFY_LEFT);
        } else {
            gtk_entry_set_alignment(GTK_ENTRY(widget_), horizontal == kAlignCenter  ? 0.5f
                                                        : horizontal == kAlignRight ? 1.0f
                                                                                    : 0.0f);
        }
        // Transparent: the control underneath draws background, border and placeholder.
        std::string body = FontCss(font) + "color: " + ColorCss(text_color) +
                           "; background: transparent; background-color: transparent; border: none; "
                           "box-shadow: none; padding: 0; margin: 0; min-height: 0; outline: none;";
        SetWidgetCss(widget_,
                     multiline_ ? "textview, textview text { " + body + " }" : "entry { " + body + " }");
    }

    void SetToolTip(const std::u16string& text) override {
        gtk_widget_set_tooltip_text(widget_, text.empty() ? nullptr : Utf16ToUtf8(text).c_str());
    }

    void Focus() override { gtk_widget_grab_focus(widget_); }
    bool DrawsText() const override { return true; }

private:
    void ApplyEditable() {
        bool editable = enabled_ && !read_only_;
        if (multiline_) {
            gtk_text_view_set_editable(GTK_TEXT_VIEW(widget_), editable);
            gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(widget_), editable);
        } else {
            gtk_editable_set_editable(GTK_EDITABLE(widget_), editable);
        }
        gtk_widget_set_can_focus(widget_, enabled_);
    }

    std::u16string CurrentText() const {
        if (multiline_) {
            GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget_));
            GtkTextIter start, end;
            gtk_text_buffer_get_bounds(buffer, &start, &end);
            gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
            std::u16string result = Utf8ToUtf16(text ? text : "");
            g_free(text);
            return result;
        }
        return Utf8ToUtf16(gtk_entry_get_text(GTK_ENTRY(widget_)));
    }

    static void OnChanged(gpointer, CGtkTextEntry* self) {
        if (!self->setting_) self->edit_->OnNativeTextChanged(self->CurrentText());
    }
    static gboolean OnFocusIn(GtkWidget*, GdkEvent*, CGtkTextEntry* self) {
        self->edit_->OnNativeFocus(true);
        return FALSE;
    }
    static gboolean OnFocusOut(GtkWidget*, GdkEvent*, CGtkTextEntry* self) {
        self->edit_->OnNativeFocus(false);
        return FALSE;
    }

    GtkWidget* fixed_;
    GtkWidget* widget_ = nullptr;
    CEdit* edit_;
    bool multiline_;
    bool setting_ = false;
    bool read_only_ = false;
    bool enabled_ = true;
};

// --- windows ------------------------------------------------------------------------------------------

class CGtkNativeWindow : public INativeWindow {
public:
    CGtkNativeWindow(INativeWindowEvents* events, CGtkNativeWindow* owner, const std::u16string& title,
                     const CRect& rect)
        : events_(events), size_{std::max(1, rect.Width()), std::max(1, rect.Height())} {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(window_), Utf16ToUtf8(title).c_str());
        gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
        gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
        gtk_widget_set_app_paintable(window_, TRUE);
        if (owner) gtk_window_set_transient_for(GTK_WINDOW(window_), GTK_WINDOW(owner->window_));
        gtk_window_move(GTK_WINDOW(window_), rect.left, rect.top);
        position_ = {rect.left, rect.top};

        fixed_ = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window_), fixed_);
        area_ = gtk_drawing_area_new();
        gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                         GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_SCROLL_MASK);
        gtk_fixed_put(GTK_FIXED(fixed_), area_, 0, 0);
        ApplySize();

        g_signal_connect(area_, "draw", G_CALLBACK(&CGtkNativeWindow::OnDraw), this);
        g_signal_connect(area_, "button-press-event", G_CALLBACK(&CGtkNativeWindow::OnButtonPress), this);
        g_signal_connect(area_, "button-release-event", G_CALLBACK(&CGtkNativeWindow::OnButtonRelease), this);
        g_signal_connect(area_, "motion-notify-event", G_CALLBACK(&CGtkNativeWindow::OnMotion), this);
        g_signal_connect(area_, "leave-notify-event", G_CALLBACK(&CGtkNativeWindow::OnLeave), this);
        g_signal_connect(area_, "scroll-event", G_CALLBACK(&CGtkNativeWindow::OnScroll), this);
        g_signal_connect(window_, "key-press-event", G_CALLBACK(&CGtkNativeWindow::OnKey), this);
        g_signal_connect(window_, "delete-event", G_CALLBACK(&CGtkNativeWindow::OnDelete), this);
        g_signal_connect(window_, "configure-event", G_CALLBACK(&CGtkNativeWindow::OnConfigure), this);
        g_signal_connect(window_, "focus-in-event", G_CALLBACK(&CGtkNativeWindow::OnFocusIn), this);
        g_signal_connect(window_, "focus-out-event", G_CALLBACK(&CGtkNativeWindow::OnFocusOut), this);
        g_signal_connect(window_, "map-event", G_CALLBACK(&CGtkNativeWindow::OnMapped), this);
        gtk_widget_show(fixed_);
        gtk_widget_show(area_);
    }

    ~CGtkNativeWindow() override {
        if (shape_source_ != 0) g_source_remove(shape_source_);
        DestroyDropDown();
        g_signal_handlers_disconnect_by_data(area_, this);
        g_signal_handlers_disconnect_by_data(window_, this);
        gtk_widget_destroy(window_);
    }

    void Show(bool show, bool take_focus) override {
        if (show) {
            gtk_window_set_accept_focus(GTK_WINDOW(window_), take_focus);
            gtk_widget_show(window_);
            gtk_window_move(GTK_WINDOW(window_), position_.x, position_.y);
            if (take_focus) gtk_window_present(GTK_WINDOW(window_));
        } else {
            DestroyDropDown();
            gtk_widget_hide(window_);
        }
    }
    bool IsShown() const override { return gtk_widget_get_visible(window_); }

    void SetClientSize(CSize size) override {
        size_ = {std::max(1, size.cx), std::max(1, size.cy)};
        ApplySize();
        if (shaped_) ScheduleShape();
    }
    CSize GetClientSize() const override { return size_; }

    void Move(CPoint screen) override {
        if (screen.x == position_.x && screen.y == position_.y) return;
        position_ = screen;
        gtk_window_move(GTK_WINDOW(window_), screen.x, screen.y);
        events_->OnNativeMoved(screen);
    }
    CPoint GetPosition() const override { return position_; }

    CRect GetWorkArea() const override {
        GdkDisplay* display = gtk_widget_get_display(window_);
        GdkWindow* gdk_window = gtk_widget_get_window(window_);
        GdkMonitor* monitor = gdk_window ? gdk_display_get_monitor_at_window(display, gdk_window)
                                         : gdk_display_get_primary_monitor(display);
        if (!monitor) monitor = gdk_display_get_monitor(display, 0);
        if (!monitor) return {0, 0, 1280, 1024};
        GdkRectangle area;
        gdk_monitor_get_workarea(monitor, &area);
        return {area.x, area.y, area.x + area.width, area.y + area.height};
    }

    void SetTopmost(bool topmost) override { gtk_window_set_keep_above(GTK_WINDOW(window_), topmost); }

    void SetTransparent(bool transparent) override {
        if (!transparent || gtk_widget_get_realized(window_)) return;
        GdkScreen* screen = gtk_widget_get_screen(window_);
        if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen);
            visual && gdk_screen_is_composited(screen)) {
            gtk_widget_set_visual(window_, visual);
            transparent_ = true;
            return;
        }
        // Without a compositor nothing blends: the window is cut to the shape of what it paints instead, so
        // that the windows beneath show through the see-through parts.
        shaped_ = true;
        ScheduleShape();
    }

    void SetModal(bool modal) override { gtk_window_set_modal(GTK_WINDOW(window_), modal); }
    void SetSensitive(bool sensitive) override { gtk_widget_set_sensitive(window_, sensitive); }
    void Invalidate() override {
        gtk_widget_queue_draw(area_);
        if (shaped_) ScheduleShape();
    }

    void SetCursor(CursorKind cursor) override {
        GdkWindow* gdk_window = gtk_widget_get_window(area_);
        if (!gdk_window) return;
        GdkCursor* made = cursor == CursorKind::kHand
                              ? gdk_cursor_new_from_name(gtk_widget_get_display(area_), "pointer")
                              : nullptr;
        gdk_window_set_cursor(gdk_window, made);
        if (made) g_object_unref(made);
    }

    void SetToolTip(const std::u16string& text) override {
        gtk_widget_set_tooltip_text(area_, text.empty() ? nullptr : Utf16ToUtf8(text).c_str());
    }

    std::unique_ptr<INativeTextEntry> CreateTextEntry(CEdit* edit, bool multiline) override {
        return std::make_unique<CGtkTextEntry>(fixed_, edit, multiline);
    }

    void ShowDropDown(CCombo* combo) override;
    void HideDropDown() override {
        CCombo* combo = drop_down_combo_;
        DestroyDropDown();
        if (combo) combo->OnNativeItemChosen(-1);
    }

    void* GetNativeContainer() const override { return fixed_; }
    void* GetNativeTopLevel() const override { return window_; }

    bool SaveScreenshot(const std::string& path) override {
        GdkWindow* gdk_window = gtk_widget_get_window(window_);
        if (!gdk_window || !gtk_widget_get_visible(window_)) return false;
        // Everything drawn so far reaches the screen first.
        gdk_display_sync(gtk_widget_get_display(window_));
        GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(gdk_window, 0, 0, size_.cx, size_.cy);
        if (!pixbuf) return false;
        gboolean saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr);
        g_object_unref(pixbuf);
        return saved;
    }

private:
    void ScheduleShape() {
        if (shape_source_ == 0) shape_source_ = g_idle_add(&CGtkNativeWindow::UpdateShape, this);
    }

    // Paints the window off screen and keeps the pixels that are more than faintly visible (alpha of 1/8 and
    // above; the nearly transparent surfaces of a layered window fall away).
    static gboolean UpdateShape(gpointer self_pointer) {
        auto* self = static_cast<CGtkNativeWindow*>(self_pointer);
        self->shape_source_ = 0;
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, self->size_.cx, self->size_.cy);
        cairo_t* cr = cairo_create(surface);
        self->events_->OnNativePaint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        int stride = cairo_image_surface_get_stride(surface);
        cairo_region_t* region = cairo_region_create();
        for (int y = 0; y < self->size_.cy; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            int run = -1;
            for (int x = 0; x <= self->size_.cx; ++x) {
                bool solid = x < self->size_.cx && (row[x] >> 24) >= 0x20;
                if (solid && run < 0) run = x;
                if (!solid && run >= 0) {
                    cairo_rectangle_int_t piece{run, y, x - run, 1};
                    cairo_region_union_rectangle(region, &piece);
                    run = -1;
                }
            }
        }
        cairo_surface_destroy(surface);
        gtk_widget_shape_combine_region(self->window_, region);
        cairo_region_destroy(region);
        return G_SOURCE_REMOVE;
    }

    void ApplySize() {
        gtk_widget_set_size_request(area_, size_.cx, size_.cy);
        gtk_widget_set_size_request(window_, size_.cx, size_.cy);
        gtk_window_resize(GTK_WINDOW(window_), size_.cx, size_.cy);
    }

    void DestroyDropDown() {
        if (!drop_down_) return;
        GtkWidget* popup = drop_down_;
        drop_down_ = nullptr;
        drop_down_combo_ = nullptr;
        if (GdkWindow* gdk_window = gtk_widget_get_window(popup)) {
            gdk_seat_ungrab(gdk_display_get_default_seat(gdk_window_get_display(gdk_window)));
        }
        gtk_widget_destroy(popup);
    }

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, CGtkNativeWindow* self) {
        if (self->transparent_) {
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_rgba(cr, 0, 0, 0, 0);
            cairo_paint(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        }
        self->events_->OnNativePaint(cr);
        return TRUE;
    }

    static gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, CGtkNativeWindow* self) {
        if (event->button != 1) return FALSE;
        CPoint point{int(event->x), int(event->y)};
        if (event->type == GDK_2BUTTON_PRESS) {
            self->events_->OnNativeDoubleClick(point);
            return TRUE;
        }
        if (event->type != GDK_BUTTON_PRESS) return TRUE;
        if (self->events_->OnNativeButtonDown(point)) {
            // The window follows the pointer until release (works with and without a window manager).
            self->dragging_ = true;
            self->drag_start_ = {int(event->x_root), int(event->y_root)};
            self->drag_origin_ = self->position_;
        }
        return TRUE;
    }

    static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* event, CGtkNativeWindow* self) {
        if (event->button != 1) return FALSE;
        if (self->dragging_) {
            self->dragging_ = false;
            return TRUE;
        }
        self->events_->OnNativeButtonUp({int(event->x), int(event->y)});
        return TRUE;
    }

    static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, CGtkNativeWindow* self) {
        if (self->dragging_) {
            self->Move({self->drag_origin_.x + int(event->x_root) - self->drag_start_.x,
                        self->drag_origin_.y + int(event->y_root) - self->drag_start_.y});
            return TRUE;
        }
        self->events_->OnNativeMouseMove({int(event->x), int(event->y)});
        return TRUE;
    }

    static gboolean OnLeave(GtkWidget*, GdkEventCrossing*, CGtkNativeWindow* self) {
        if (!self->dragging_) self->events_->OnNativeMouseLeave();
        return FALSE;
    }

    static gboolean OnScroll(GtkWidget*, GdkEventScroll* event, CGtkNativeWindow* self) {
        int delta = event->direction == GDK_SCROLL_UP ? 120 : event->direction == GDK_SCROLL_DOWN ? -120 : 0;
        if (event->direction == GDK_SCROLL_SMOOTH) delta = int(-event->delta_y * 120);
        if (delta != 0) self->events_->OnNativeWheel({int(event->x), int(event->y)}, delta);
        return TRUE;
    }

    static gboolean OnKey(GtkWidget*, GdkEventKey* event, CGtkNativeWindow* self) {
        uint32_t key = 0;
        if (event->keyval == GDK_KEY_Escape) key = VK_ESCAPE;
        if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) key = VK_RETURN;
        if (key == 0) return FALSE;
        return self->events_->OnNativeKeyDown(key);
    }

    static gboolean OnDelete(GtkWidget*, GdkEvent*, CGtkNativeWindow* self) {
        self->events_->OnNativeCloseRequest();
        return TRUE;
    }

    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, CGtkNativeWindow* self) {
        CPoint now{event->x, event->y};
        if (now.x != self->position_.x || now.y != self->position_.y) {
            self->position_ = now;
            self->events_->OnNativeMoved(now);
        }
        return FALSE;
    }

    // A shape given before the window existed on the screen is not carried over: it is made again.
    static gboolean OnMapped(GtkWidget*, GdkEvent*, CGtkNativeWindow* self) {
        if (self->shaped_) self->ScheduleShape();
        return FALSE;
    }

    static gboolean OnFocusIn(GtkWidget*, GdkEvent*, CGtkNativeWindow* self) {
        self->events_->OnNativeFocus(true);
        return FALSE;
    }
    static gboolean OnFocusOut(GtkWidget*, GdkEvent*, CGtkNativeWindow* self) {
        self->events_->OnNativeFocus(false);
        return FALSE;
    }

    static void OnRowActivated(GtkListBox*, GtkListBoxRow* row, CGtkNativeWindow* self) {
        CCombo* combo = self->drop_down_combo_;
        int index = gtk_list_box_row_get_index(row);
        self->DestroyDropDown();
        if (combo) combo->OnNativeItemChosen(index);
    }

    static gboolean OnPopupButton(GtkWidget* popup, GdkEventButton* event, CGtkNativeWindow* self) {
        int width = gtk_widget_get_allocated_width(popup);
        int height = gtk_widget_get_allocated_height(popup);
        // A press outside the list dismisses it.
        if (event->x < 0 || event->y < 0 || event->x >= width || event->y >= height) self->HideDropDown();
        return FALSE;
    }

    INativeWindowEvents* events_;
    GtkWidget* window_ = nullptr;
    GtkWidget* fixed_ = nullptr;
    GtkWidget* area_ = nullptr;
    GtkWidget* drop_down_ = nullptr;
    CCombo* drop_down_combo_ = nullptr;
    CSize size_;
    CPoint position_;
    bool transparent_ = false;  // drawn with alpha on a compositing screen
    bool shaped_ = false;       // cut to the shape of its painting on a screen without compositing
    guint shape_source_ = 0;
    bool dragging_ = false;
    CPoint drag_start_;
    CPoint drag_origin_;
};

void CGtkNativeWindow::ShowDropDown(CCombo* combo) {
    DestroyDropDown();
    if (!combo || combo->GetCount() == 0) {
        if (combo) combo->OnNativeItemChosen(-1);
        return;
    }
    CRect rect = combo->GetPos();
    CSize box = combo->GetDropBoxSize();
    int width = box.cx > 0 ? box.cx : rect.Width();
    int height = box.cy > 0 ? box.cy : 150;

    drop_down_ = gtk_window_new(GTK_WINDOW_POPUP);
    drop_down_combo_ = combo;
    gtk_window_set_transient_for(GTK_WINDOW(drop_down_), GTK_WINDOW(window_));
    gtk_widget_set_size_request(drop_down_, width, height);
    gtk_window_move(GTK_WINDOW(drop_down_), position_.x + rect.left, position_.y + rect.bottom);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    GtkWidget* list = gtk_list_box_new();
    gtk_list_box_set_activate_on_single_click(GTK_LIST_BOX(list), TRUE);
    const CRect& padding = combo->GetItemTextPadding();
    for (int i = 0; i < combo->GetCount(); ++i) {
        CListItem* item = combo->GetItemAt(i);
        GtkWidget* label = gtk_label_new(Utf16ToUtf8(item->GetText()).c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_widget_set_margin_start(label, padding.left);
        gtk_widget_set_margin_end(label, padding.right);
        GtkWidget* row = gtk_list_box_row_new();
        gtk_container_add(GTK_CONTAINER(row), label);
        gtk_widget_set_size_request(row, -1, item->GetFixedHeight() > 0 ? item->GetFixedHeight() : 32);
        gtk_container_add(GTK_CONTAINER(list), row);
        if (i == combo->GetCurSel()) gtk_list_box_select_row(GTK_LIST_BOX(list), GTK_LIST_BOX_ROW(row));
    }
    SetWidgetCss(list,
                 "list { background-color: #ffffff; border: 1px solid #c9ced6; } row:selected { "
                 "background-color: " +
                     ColorCss(combo->GetSelectedItemBkColor()) +
                     "; color: #ffffff; } row:hover:not(:selected) { background-color: " +
                     ColorCss(combo->GetHotItemBkColor()) + "; }");
    g_signal_connect(list, "row-activated", G_CALLBACK(&CGtkNativeWindow::OnRowActivated), this);
    g_signal_connect(drop_down_, "button-press-event", G_CALLBACK(&CGtkNativeWindow::OnPopupButton), this);
    gtk_container_add(GTK_CONTAINER(scroller), list);
    gtk_container_add(GTK_CONTAINER(drop_down_), scroller);
    gtk_widget_show_all(drop_down_);
    if (GdkWindow* gdk_window = gtk_widget_get_window(drop_down_)) {
        gdk_seat_grab(gdk_display_get_default_seat(gdk_window_get_display(gdk_window)), gdk_window,
                      GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE, nullptr, nullptr, nullptr, nullptr);
    }
}

}  // namespace

// --- back end -------------------------------------------------------------------------------------------

CGtkBackend::CGtkBackend() = default;

CGtkBackend::~CGtkBackend() {
    for (auto& [id, timer] : timers_) {
        g_source_remove(id);
        delete timer;
    }
}

std::unique_ptr<INativeWindow> CGtkBackend::CreateNativeWindow(INativeWindowEvents* events,
                                                               INativeWindow* owner,
                                                               const std::u16string& title,
                                                               const CRect& rect) {
    return std::make_unique<CGtkNativeWindow>(events, static_cast<CGtkNativeWindow*>(owner), title, rect);
}

void CGtkBackend::Run(const std::function<bool()>& until) {
    while (!until()) g_main_context_iteration(nullptr, TRUE);
}

void CGtkBackend::PostTask(std::function<void()> task) {
    std::lock_guard guard(lock_);
    tasks_.push_back(std::move(task));
    // One idle source drains the queue, so tasks run in posting order.
    if (!scheduled_) {
        scheduled_ = true;
        g_idle_add_full(G_PRIORITY_DEFAULT, &CGtkBackend::RunTasks, this, nullptr);
    }
}

int CGtkBackend::RunTasks(void* self_pointer) {
    auto* self = static_cast<CGtkBackend*>(self_pointer);
    while (true) {
        std::function<void()> task;
        {
            std::lock_guard guard(self->lock_);
            if (self->tasks_.empty()) {
                self->scheduled_ = false;
                return G_SOURCE_REMOVE;
            }
            task = std::move(self->tasks_.front());
            self->tasks_.pop_front();
        }
        task();
    }
}

uint32_t CGtkBackend::StartTimer(uint32_t period_ms, std::function<void()> tick) {
    auto* timer = new Timer{this, 0, std::move(tick)};
    timer->id = g_timeout_add(std::max<uint32_t>(1, period_ms), &CGtkBackend::Tick, timer);
    timers_[timer->id] = timer;
    return timer->id;
}

void CGtkBackend::StopTimer(uint32_t id) {
    auto found = timers_.find(id);
    if (found == timers_.end()) return;
    g_source_remove(id);
    delete found->second;
    timers_.erase(found);
}

int CGtkBackend::Tick(void* timer_pointer) {
    auto* timer = static_cast<Timer*>(timer_pointer);
    // Copied: the tick may stop (and free) its own timer.
    std::function<void()> tick = timer->tick;
    tick();
    return G_SOURCE_CONTINUE;
}

bool InstallGtkBackend() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!(x11 && *x11) && !(wayland && *wayland)) return false;
    if (!gtk_init_check(nullptr, nullptr)) return false;
    InstallBackend(std::make_unique<CGtkBackend>());
    return true;
}

}  // namespace skinui
