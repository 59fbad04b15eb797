// Draws the images of the skin: `skin-art OUTPUT_FOLDER` writes every PNG of resources/skin/ (button, check
// box, caption and folder faces, progress bar, tip balloon, message-box icons, the download banner) plus the
// main window's background picture (background.png) and the application icon (icon.png). The committed images
// are this program's output; run it again after changing a colour or a shape.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

struct Rgba {
    double r, g, b, a;
};

Rgba Hex(unsigned rgb, double alpha = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

// Palette: one blue accent, neutral greys, green and amber for the two status icons.
const Rgba kAccent = Hex(0x2B6DE5);
const Rgba kAccentHot = Hex(0x3F7EF0);
const Rgba kAccentPushed = Hex(0x1F57C0);
const Rgba kAccentDisabled = Hex(0xA8C1EE);
const Rgba kBorder = Hex(0xC9CED6);
const Rgba kGlyph = Hex(0x80868B);
const Rgba kGlyphDark = Hex(0x3C4043);
const Rgba kWhite = Hex(0xFFFFFF);

std::string g_folder;

void Source(cairo_t* cr, Rgba c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

bool Write(const std::string& name, int width, int height, const std::function<void(cairo_t*)>& draw) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    draw(cr);
    cairo_destroy(cr);
    std::string path = g_folder + "/" + name;
    bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!ok) std::fprintf(stderr, "skin-art: cannot write %s\n", path.c_str());
    return ok;
}

void Text(cairo_t* cr, const char* text, const char* font, double x, double y, Rgba color,
          bool center = false) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_from_string(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text, -1);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    Source(cr, color);
    cairo_move_to(cr, center ? x - w / 2.0 : x, y - h / 2.0);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

// Faces of a filled button (nine-patch, corners 8): 48 x 40.
void FilledButton(const std::string& prefix, Rgba normal, Rgba hot, Rgba pushed, Rgba disabled) {
    struct Face {
        const char* state;
        Rgba fill;
    } faces[] = {{"normal", normal}, {"hot", hot}, {"pushed", pushed}, {"disabled", disabled}};
    for (const Face& face : faces) {
        Write(prefix + face.state + ".png", 48, 40, [&](cairo_t* cr) {
            RoundedRect(cr, 0.5, 0.5, 47, 39, 6);
            Source(cr, face.fill);
            cairo_fill(cr);
        });
    }
}

// Faces of an outlined button: white with a grey border that darkens when hot.
void OutlinedButton(const std::string& prefix) {
    struct Face {
        const char* state;
        Rgba fill;
        Rgba border;
    } faces[] = {{"normal", kWhite, kBorder},
                 {"hot", Hex(0xF3F6FB), Hex(0x9AA4B2)},
                 {"pushed", Hex(0xE4E9F1), Hex(0x8A94A2)},
                 {"disabled", Hex(0xF5F6F7), Hex(0xDDE0E4)}};
    for (const Face& face : faces) {
        Write(prefix + face.state + ".png", 48, 40, [&](cairo_t* cr) {
            RoundedRect(cr, 0.5, 0.5, 47, 39, 6);
            Source(cr, face.fill);
            cairo_fill_preserve(cr);
            Source(cr, face.border);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        });
    }
}

void CheckBox(const char* name, bool checked, bool hot) {
    Write(name, 16, 16, [&](cairo_t* cr) {
        RoundedRect(cr, 0.5, 0.5, 15, 15, 3);
        if (checked) {
            Source(cr, hot ? kAccentHot : kAccent);
            cairo_fill(cr);
            cairo_set_line_width(cr, 2);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            Source(cr, kWhite);
            cairo_move_to(cr, 4, 8.2);
            cairo_line_to(cr, 6.8, 11);
            cairo_line_to(cr, 12, 5.2);
            cairo_stroke(cr);
        } else {
            Source(cr, kWhite);
            cairo_fill_preserve(cr);
            Source(cr, hot ? kAccent : Hex(0x9AA0A8));
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        }
    });
}

// Caption buttons, 24 x 24: a glyph on a round hover plate.
void CaptionButton(const std::string& name, bool close, Rgba plate, Rgba glyph) {
    Write(name, 24, 24, [&](cairo_t* cr) {
        if (plate.a > 0) {
            cairo_arc(cr, 12, 12, 11.5, 0, 2 * M_PI);
            Source(cr, plate);
            cairo_fill(cr);
        }
        Source(cr, glyph);
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        if (close) {
            cairo_move_to(cr, 8, 8);
            cairo_line_to(cr, 16, 16);
            cairo_move_to(cr, 16, 8);
            cairo_line_to(cr, 8, 16);
        } else {
            cairo_move_to(cr, 7.5, 12.5);
            cairo_line_to(cr, 16.5, 12.5);
        }
        cairo_stroke(cr);
    });
}

void Chevron(const char* name, bool down) {
    Write(name, 8, 8, [&](cairo_t* cr) {
        Source(cr, Hex(0x5F6368));
        cairo_set_line_width(cr, 1.4);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        if (down) {
            cairo_move_to(cr, 1, 2.5);
            cairo_line_to(cr, 4, 5.5);
            cairo_line_to(cr, 7, 2.5);
        } else {
            cairo_move_to(cr, 1, 5.5);
            cairo_line_to(cr, 4, 2.5);
            cairo_line_to(cr, 7, 5.5);
        }
        cairo_stroke(cr);
    });
}

void FolderButton(const char* name, Rgba plate, Rgba glyph) {
    Write(name, 24, 24, [&](cairo_t* cr) {
        if (plate.a > 0) {
            RoundedRect(cr, 0, 0, 24, 24, 4);
            Source(cr, plate);
            cairo_fill(cr);
        }
        // A folder outline.
        Source(cr, glyph);
        cairo_set_line_width(cr, 1.4);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, 5, 7.5);
        cairo_line_to(cr, 10, 7.5);
        cairo_line_to(cr, 11.5, 9.5);
        cairo_line_to(cr, 19, 9.5);
        cairo_line_to(cr, 19, 17.5);
        cairo_line_to(cr, 5, 17.5);
        cairo_close_path(cr);
        cairo_stroke(cr);
    });
}

void StatusIcon(const char* name, Rgba color, bool check) {
    Write(name, 56, 56, [&](cairo_t* cr) {
        cairo_arc(cr, 28, 28, 26, 0, 2 * M_PI);
        Source(cr, Rgba{color.r, color.g, color.b, 0.14});
        cairo_fill(cr);
        cairo_arc(cr, 28, 28, 19, 0, 2 * M_PI);
        Source(cr, color);
        cairo_fill(cr);
        Source(cr, kWhite);
        cairo_set_line_width(cr, 3.2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        if (check) {
            cairo_move_to(cr, 19.5, 28.5);
            cairo_line_to(cr, 25.5, 34.5);
            cairo_line_to(cr, 36.5, 22.5);
            cairo_stroke(cr);
        } else {
            cairo_move_to(cr, 28, 19);
            cairo_line_to(cr, 28, 30);
            cairo_stroke(cr);
            cairo_arc(cr, 28, 36.5, 2, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    });
}

// The product mark: a rounded square with a stylised M.
void Mark(cairo_t* cr, double x, double y, double size) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, size / 64.0, size / 64.0);
    RoundedRect(cr, 0, 0, 64, 64, 15);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 64, 64);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0.20, 0.50, 0.98);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.07, 0.72, 0.80);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    Source(cr, kWhite);
    cairo_set_line_width(cr, 6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, 17, 45);
    cairo_line_to(cr, 17, 20);
    cairo_line_to(cr, 32, 36);
    cairo_line_to(cr, 47, 20);
    cairo_line_to(cr, 47, 45);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Soft translucent circles over a gradient.
void Hero(cairo_t* cr, double top, double height, double width) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, top, width, top + height);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.13, 0.33, 0.80);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.09, 0.60, 0.82);
    cairo_rectangle(cr, 0, top, width, height);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, width, height);
    cairo_clip(cr);
    struct Circle {
        double x, y, r, a;
    } circles[] = {{70, top + height * 0.95, 120, 0.07},
                   {540, top + 10, 150, 0.08},
                   {470, top + height, 70, 0.06},
                   {180, top - 20, 60, 0.05}};
    for (const Circle& c : circles) {
        cairo_arc(cr, c.x, c.y, c.r, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 1, 1, c.a);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void TitleStrip(cairo_t* cr, double width) {
    cairo_rectangle(cr, 0, 0, width, 32);
    Source(cr, kWhite);
    cairo_fill(cr);
    Mark(cr, 12, 7, 18);
    Text(cr, "Mendrake", "DejaVu Sans Bold 12px", 37, 16, kGlyphDark);
    cairo_rectangle(cr, 0, 31, width, 1);
    Source(cr, Hex(0xE8EAED));
    cairo_fill(cr);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-art OUTPUT_FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    bool ok = true;

    FilledButton("btn_", kAccent, kAccentHot, kAccentPushed, kAccentDisabled);
    FilledButton("btn1_", kAccent, kAccentHot, kAccentPushed, kAccentDisabled);
    OutlinedButton("btn2_");

    CheckBox("cbx_normal.png", false, false);
    CheckBox("cbx_hot.png", false, true);
    CheckBox("cbx_checked.png", true, false);
    CheckBox("cbx_checked_hot.png", true, true);

    Rgba none{0, 0, 0, 0};
    CaptionButton("close_normal.png", true, none, kGlyph);
    CaptionButton("close_hot.png", true, Hex(0xE8453C), kWhite);
    CaptionButton("close_pushed.png", true, Hex(0xC5362E), kWhite);
    CaptionButton("close_pressed.png", true, Hex(0xC5362E), kWhite);
    CaptionButton("close_disabled.png", true, none, Hex(0xD0D3D7));
    CaptionButton("minimal_normal.png", false, none, kGlyph);
    CaptionButton("minimal_hot.png", false, Hex(0xE8EAED), kGlyphDark);
    CaptionButton("minimal_pushed.png", false, Hex(0xD7DADF), kGlyphDark);
    CaptionButton("minimal_disabled.png", false, none, Hex(0xD0D3D7));

    Chevron("down.png", true);
    Chevron("up.png", false);

    // Two clear rows on top: the frame's layout box starts 2 pixels above the field it frames.
    ok &= Write("folder_bk.png", 32, 34, [](cairo_t* cr) {
        RoundedRect(cr, 0.5, 2.5, 31, 31, 3);
        Source(cr, kWhite);
        cairo_fill_preserve(cr);
        Source(cr, kBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
    FolderButton("folder_normal.png", none, kGlyph);
    FolderButton("folder_hot.png", Hex(0xEEF3FD), kAccent);
    FolderButton("folder_pushed.png", Hex(0xDCE6FB), kAccentPushed);
    FolderButton("folder_disabled.png", none, Hex(0xD0D3D7));

    ok &= Write("info_bg_warning.png", 64, 48, [](cairo_t* cr) {
        RoundedRect(cr, 0.5, 0.5, 63, 43, 8);
        Source(cr, Hex(0xFFF4F3));
        cairo_fill_preserve(cr);
        Source(cr, Hex(0xF4C7C3));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        // A soft shadow under the balloon.
        RoundedRect(cr, 4, 44, 56, 3, 1.5);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.06);
        cairo_fill(cr);
    });
    ok &= Write("tips_close_normal.png", 14, 14, [](cairo_t* cr) {
        Source(cr, Hex(0xB0665F));
        cairo_set_line_width(cr, 1.4);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 4, 4);
        cairo_line_to(cr, 10, 10);
        cairo_move_to(cr, 10, 4);
        cairo_line_to(cr, 4, 10);
        cairo_stroke(cr);
    });
    ok &= Write("tips_close_pressed.png", 14, 14, [](cairo_t* cr) {
        cairo_arc(cr, 7, 7, 7, 0, 2 * M_PI);
        Source(cr, Hex(0xF4C7C3));
        cairo_fill(cr);
        Source(cr, Hex(0x8C3F38));
        cairo_set_line_width(cr, 1.4);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 4, 4);
        cairo_line_to(cr, 10, 10);
        cairo_move_to(cr, 10, 4);
        cairo_line_to(cr, 4, 10);
        cairo_stroke(cr);
    });

    ok &= Write("progress_background.png", 16, 8, [](cairo_t* cr) {
        RoundedRect(cr, 0, 0, 16, 8, 4);
        Source(cr, Hex(0xE6EAF0));
        cairo_fill(cr);
    });
    ok &= Write("progress_fore.png", 16, 8, [](cairo_t* cr) {
        RoundedRect(cr, 0, 0, 16, 8, 4);
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, 8);
        cairo_pattern_add_color_stop_rgb(fill, 0, 0.25, 0.52, 0.95);
        cairo_pattern_add_color_stop_rgb(fill, 1, 0.17, 0.43, 0.90);
        cairo_set_source(cr, fill);
        cairo_fill(cr);
        cairo_pattern_destroy(fill);
    });

    StatusIcon("success.png", Hex(0x1E9E5A), true);
    StatusIcon("warn.png", Hex(0xF29A1F), false);

    // The download page's picture under the banner web page: title strip and hero with the product.
    ok &= Write("banner.png", 600, 338, [](cairo_t* cr) {
        Hero(cr, 32, 306, 600);
        TitleStrip(cr, 600);
        Mark(cr, 268, 104, 64);
        Text(cr, "Mendrake", "DejaVu Sans Bold 30px", 300, 206, kWhite, true);
        Text(cr, "Your workspace is being prepared", "DejaVu Sans 14px", 300, 244, Rgba{1, 1, 1, 0.85}, true);
    });
    // The main window's background (resource PNG 136): title strip, hero, white lower part.
    ok &= Write("background.png", 600, 400, [](cairo_t* cr) {
        Source(cr, kWhite);
        cairo_paint(cr);
        Hero(cr, 32, 204, 600);
        TitleStrip(cr, 600);
        Mark(cr, 272, 74, 56);
        Text(cr, "Mendrake", "DejaVu Sans Bold 28px", 300, 166, kWhite, true);
        Text(cr, "Create, organise and share", "DejaVu Sans 13px", 300, 200, Rgba{1, 1, 1, 0.85}, true);
    });
    ok &= Write("icon.png", 64, 64, [](cairo_t* cr) { Mark(cr, 0, 0, 64); });

    return ok ? 0 : 1;
}
