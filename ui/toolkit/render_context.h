// Drawing of one window: colours, borders, skin images and text, on a cairo context. The header keeps cairo
// and pango out of the toolkit's public headers; a context is made by the back end for each paint.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/toolkit/text_markup.h"
#include "ui/toolkit/ui_types.h"

namespace skinui {

class CPaintManager;

// One entry of a window's font table. Sizes are pixels.
struct FontSpec {
    std::u16string name;
    int size = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// Text layout flags.
enum TextAlign : int {
    kAlignLeft = 0,
    kAlignCenter = 1,
    kAlignRight = 2,
    kAlignHMask = 3,
    kAlignTop = 4,      // default for word-wrapped text
    kAlignVCenter = 8,  // default for single-line text
    kAlignBottom = 16,
    kAlignVMask = 28,
};

struct TextStyle {
    int font = -1;  // id in the manager's font table, -1 the default font
    Color color = 0xFF000000;
    int align = kAlignLeft | kAlignVCenter;
    bool wordbreak = false;
};

class CRenderContext {
public:
    // `cairo` is a cairo_t* owned by the caller.
    CRenderContext(void* cairo, CPaintManager* manager);
    ~CRenderContext();
    CRenderContext(const CRenderContext&) = delete;
    CRenderContext& operator=(const CRenderContext&) = delete;

    CPaintManager* GetManager() const { return manager_; }

    void FillRect(const CRect& rect, Color color);
    void DrawBorder(const CRect& rect, int size, Color color);
    // Draws an image attribute value (bare file name or descriptor) into `rect`; false when the image is
    // missing, which draws nothing.
    bool DrawImage(const CRect& rect, const std::u16string& image);
    void DrawText(const CRect& rect, const std::vector<TextRun>& runs, const TextStyle& style);

    // Limits drawing to `rect` until the matching PopClip.
    void PushClip(const CRect& rect);
    void PopClip();

private:
    void* cairo_;
    CPaintManager* manager_;
};

// Text measurement shared by painting and the paint manager: the extent of `runs` laid out in `style`,
// wrapped at `wrap_width` pixels when it is above 0. Needs no display.
CSize MeasureTextRuns(CPaintManager* manager, const std::vector<TextRun>& runs, const TextStyle& style,
                      int wrap_width);

// Pango font description text ("Segoe UI, DejaVu Sans Bold 12px") for a font table entry.
std::string FontDescriptionText(const FontSpec& font);

}  // namespace skinui
