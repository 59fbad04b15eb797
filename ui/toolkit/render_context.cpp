#include "ui/toolkit/render_context.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string_view>

#include "formats/utf_conversion.h"
#include "platform/resources.h"
#include "ui/toolkit/attribute_values.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/skin_manager.h"

namespace skinui {
namespace {

// Decoded images by descriptor key ("file" or "#res:TYPE:ID"); null entries remember missing images. Emptied
// when the skin source changes. Main thread only, like all painting.
class ImageCache {
public:
    ~ImageCache() { Clear(); }

    cairo_surface_t* Get(const ImageDescriptor& image) {
        unsigned generation = CSkinManager::Instance().GetGeneration();
        if (generation != generation_) {
            Clear();
            generation_ = generation;
        }
        std::u16string key = image.file.empty() ? u"#res:" + image.resource_type + u":" +
                                                      Utf8ToUtf16(std::to_string(image.resource_id))
                                                : image.file;
        auto found = surfaces_.find(key);
        if (found != surfaces_.end()) return found->second;
        cairo_surface_t* surface = Load(image);
        surfaces_[key] = surface;
        return surface;
    }

private:
    struct Reader {
        std::string_view bytes;
        size_t offset = 0;
    };

    static cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
        auto* reader = static_cast<Reader*>(closure);
        if (reader->bytes.size() - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, reader->bytes.data() + reader->offset, length);
        reader->offset += length;
        return CAIRO_STATUS_SUCCESS;
    }

    static cairo_surface_t* Decode(std::string_view bytes) {
        Reader reader{bytes};
        cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ImageCache::Read, &reader);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            return nullptr;
        }
        return surface;
    }

    static cairo_surface_t* Load(const ImageDescriptor& image) {
        if (image.file.empty()) {
            std::optional<std::string_view> resource =
                platform::FindResource(Utf16ToUtf8(image.resource_type), image.resource_id);
            return resource ? Decode(*resource) : nullptr;
        }
        std::optional<std::string> bytes = CSkinManager::Instance().ReadFile(image.file);
        return bytes ? Decode(*bytes) : nullptr;
    }

    void Clear() {
        for (auto& [key, surface] : surfaces_) {
            if (surface) cairo_surface_destroy(surface);
        }
        surfaces_.clear();
    }

    std::map<std::u16string, cairo_surface_t*> surfaces_;
    unsigned generation_ = 0;
};

ImageCache& Images() {
    static ImageCache cache;
    return cache;
}

void SetSourceColor(cairo_t* cr, Color color) {
    cairo_set_source_rgba(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                          (color & 0xFF) / 255.0, ((color >> 24) & 0xFF) / 255.0);
}

// Draws the source rectangle of `image` stretched over the destination rectangle.
void DrawPart(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh, double dx,
              double dy, double dw, double dh) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    cairo_save(cr);
    cairo_rectangle(cr, dx, dy, dw, dh);
    cairo_clip(cr);
    cairo_translate(cr, dx, dy);
    cairo_scale(cr, dw / sw, dh / sh);
    // Only the source part: a sub-surface keeps neighbouring pixels from bleeding into a stretched edge.
    cairo_surface_t* part = cairo_surface_create_for_rectangle(image, sx, sy, sw, sh);
    cairo_set_source_surface(cr, part, 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cr);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_surface_destroy(part);
    cairo_restore(cr);
}

PangoFontDescription* MakeFontDescription(const FontSpec& font) {
    PangoFontDescription* description = pango_font_description_new();
    std::string family = Utf16ToUtf8(font.name);
    pango_font_description_set_family(description, family.empty() ? "Sans" : family.c_str());
    pango_font_description_set_weight(description, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(description, std::max(1, font.size) * PANGO_SCALE);
    return description;
}

// Fills `layout` with the runs in the style; the text goes in as UTF-8 with one attribute range per run.
void SetUpLayout(PangoLayout* layout, CPaintManager* manager, const std::vector<TextRun>& runs,
                 const TextStyle& style, int wrap_width) {
    FontSpec base = manager ? manager->GetFontOrDefault(style.font) : FontSpec{u"Segoe UI"};
    PangoFontDescription* description = MakeFontDescription(base);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);

    std::string text;
    PangoAttrList* attributes = pango_attr_list_new();
    for (const TextRun& run : runs) {
        std::string piece = Utf16ToUtf8(run.text);
        auto start = static_cast<guint>(text.size());
        text += piece;
        auto end = static_cast<guint>(text.size());
        auto add = [&](PangoAttribute* attribute) {
            attribute->start_index = start;
            attribute->end_index = end;
            pango_attr_list_insert(attributes, attribute);
        };
        if (run.font >= 0 && manager) {
            PangoFontDescription* run_font = MakeFontDescription(manager->GetFontOrDefault(run.font));
            add(pango_attr_font_desc_new(run_font));
            pango_font_description_free(run_font);
            if (manager->GetFontOrDefault(run.font).underline)
                add(pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        }
        if (run.color) {
            Color c = *run.color;
            add(pango_attr_foreground_new(static_cast<guint16>(((c >> 16) & 0xFF) * 257),
                                          static_cast<guint16>(((c >> 8) & 0xFF) * 257),
                                          static_cast<guint16>((c & 0xFF) * 257)));
        }
        if (run.underline || base.underline) add(pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    }
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);

    // Unwrapped text is placed by the caller; its lines still align among themselves.
    bool wrapped = style.wordbreak && wrap_width > 0;
    pango_layout_set_width(layout, wrapped ? wrap_width * PANGO_SCALE : -1);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    int horizontal = style.align & kAlignHMask;
    pango_layout_set_alignment(layout, horizontal == kAlignCenter  ? PANGO_ALIGN_CENTER
                                       : horizontal == kAlignRight ? PANGO_ALIGN_RIGHT
                                                                   : PANGO_ALIGN_LEFT);
}

PangoContext* MeasuringContext() {
    static PangoContext* context = [] {
        PangoContext* made = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(made, options);
        cairo_font_options_destroy(options);
        return made;
    }();
    return context;
}

}  // namespace

std::string FontDescriptionText(const FontSpec& font) {
    PangoFontDescription* description = MakeFontDescription(font);
    char* text = pango_font_description_to_string(description);
    std::string result = text ? text : "";
    g_free(text);
    pango_font_description_free(description);
    return result;
}

CSize MeasureTextRuns(CPaintManager* manager, const std::vector<TextRun>& runs, const TextStyle& style,
                      int wrap_width) {
    PangoLayout* layout = pango_layout_new(MeasuringContext());
    SetUpLayout(layout, manager, runs, style, wrap_width);
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    return {width, height};
}

CRenderContext::CRenderContext(void* cairo, CPaintManager* manager) : cairo_(cairo), manager_(manager) {}

CRenderContext::~CRenderContext() = default;

void CRenderContext::FillRect(const CRect& rect, Color color) {
    auto* cr = static_cast<cairo_t*>(cairo_);
    if (rect.IsEmpty() || (color >> 24) == 0) return;
    SetSourceColor(cr, color);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(cr);
}

void CRenderContext::DrawBorder(const CRect& rect, int size, Color color) {
    auto* cr = static_cast<cairo_t*>(cairo_);
    if (rect.IsEmpty() || size <= 0) return;
    SetSourceColor(cr, color);
    cairo_set_line_width(cr, size);
    double inset = size / 2.0;
    cairo_rectangle(cr, rect.left + inset, rect.top + inset, rect.Width() - size, rect.Height() - size);
    cairo_stroke(cr);
}

bool CRenderContext::DrawImage(const CRect& rect, const std::u16string& attribute) {
    auto* cr = static_cast<cairo_t*>(cairo_);
    ImageDescriptor image = ParseImageDescriptor(attribute);
    if (image.IsEmpty() || rect.IsEmpty()) return false;
    cairo_surface_t* surface = Images().Get(image);
    if (!surface) return false;
    CRect target = rect;
    if (image.dest) {
        target = {rect.left + image.dest->left, rect.top + image.dest->top, rect.left + image.dest->right,
                  rect.top + image.dest->bottom};
    }
    if (target.IsEmpty()) return false;
    double width = cairo_image_surface_get_width(surface);
    double height = cairo_image_surface_get_height(surface);
    if (!image.corner) {
        DrawPart(cr, surface, 0, 0, width, height, target.left, target.top, target.Width(), target.Height());
        return true;
    }
    // Nine-patch: corners keep their size (shrunk together when the target is too small), edges stretch along
    // one axis and the middle along both.
    CRect c = *image.corner;
    double sx[4] = {0, double(c.left), width - c.right, width};
    double sy[4] = {0, double(c.top), height - c.bottom, height};
    double scale_x = std::min(1.0, target.Width() / std::max(1.0, double(c.left + c.right)));
    double scale_y = std::min(1.0, target.Height() / std::max(1.0, double(c.top + c.bottom)));
    double dx[4] = {double(target.left), target.left + c.left * scale_x, target.right - c.right * scale_x,
                    double(target.right)};
    double dy[4] = {double(target.top), target.top + c.top * scale_y, target.bottom - c.bottom * scale_y,
                    double(target.bottom)};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            DrawPart(cr, surface, sx[column], sy[row], sx[column + 1] - sx[column], sy[row + 1] - sy[row],
                     dx[column], dy[row], dx[column + 1] - dx[column], dy[row + 1] - dy[row]);
        }
    }
    return true;
}

void CRenderContext::DrawText(const CRect& rect, const std::vector<TextRun>& runs, const TextStyle& style) {
    auto* cr = static_cast<cairo_t*>(cairo_);
    if (rect.IsEmpty() || runs.empty()) return;
    PangoLayout* layout = pango_cairo_create_layout(cr);
    SetUpLayout(layout, manager_, runs, style, rect.Width());
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    double x = rect.left;
    if (!(style.wordbreak && rect.Width() > 0)) {
        int horizontal = style.align & kAlignHMask;
        if (horizontal == kAlignCenter) x += (rect.Width() - width) / 2.0;
        if (horizontal == kAlignRight) x += rect.Width() - width;
    }
    double y = rect.top;
    int vertical = style.align & kAlignVMask;
    if (vertical == kAlignVCenter) y += (rect.Height() - height) / 2.0;
    if (vertical == kAlignBottom) y += rect.Height() - height;
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
    SetSourceColor(cr, style.color);
    cairo_move_to(cr, std::floor(x), std::floor(y));
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

void CRenderContext::PushClip(const CRect& rect) {
    auto* cr = static_cast<cairo_t*>(cairo_);
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
}

void CRenderContext::PopClip() {
    cairo_restore(static_cast<cairo_t*>(cairo_));
}

}  // namespace skinui
