// ListControl, part 2: drawing. Sections: the list's own buffer and the paint request; header;
// rows (layout with arithmetic skipping of the rows above the view); one item in one state; cell
// images; scroll bar and its rounded fill.
//
// Everything is drawn into the form's screen buffer and shown by copying the changed rectangle
// to the window. The list's buffer holds the background of the content area, so an item, the
// scroll bar or all rows are erased by one copy from it.
#include <algorithm>
#include <cmath>

#include "widgets/form_surface.h"
#include "widgets/gdi_handles.h"
#include "widgets/list_control.h"
#include "widgets/skin_form.h"

namespace {

constexpr COLORREF kTextColour = 0x000000;
constexpr int kTextAlpha = 230;
constexpr int kTrimEllipsisCharacter = 3;
constexpr int kNoWrap = 0x1000;  // StringFormatFlagsNoWrap
constexpr int kLineAlpha = 60;   // header separators, header bottom line, row lines
constexpr int kTrackAlpha = 40;
constexpr int kThumbAlpha = 80;
constexpr float kScrollBarRadius = 4;
// Hover and selection backgrounds stop this far short of the item's right end while the scroll
// bar shows, so they never cover it.
constexpr float kScrollBarClearance = 18;
constexpr float kOuterCorner = 6;
constexpr float kInnerCorner = 3;

// Alphas of the state plates, all in the form's colour.
struct StateStyle {
    int outer, inner, fillTop, fillBottom;
};
constexpr StateStyle kHoverStyle{80, 10, 20, 50};
constexpr StateStyle kPressedStyle{80, 40, 60, 60};
constexpr StateStyle kSelectedStyle{100, 60, 80, 80};

const StateStyle* StyleFor(int state) {
    switch (state) {
        case kItemHover:
        case 514:
        case 515:
            return &kHoverStyle;
        case kItemPressed:
            return &kPressedStyle;
        case kItemSelected:
            return &kSelectedStyle;
        default:
            return nullptr;  // normal (0, 15) and unknown states show no background
    }
}

RECT ToRect(const RectF& rect) {
    RECT result;
    BoundsToRect(rect, result);
    return result;
}

void DrawLineF(GpGraphics* graphics, GpPen* pen, float x1, float y1, float x2, float y2) {
    if (pen) GdipDrawLine(graphics, pen, x1, y1, x2, y2);
}

// A filled rectangle with rounded corners, drawn as three bands and four quarter pies that do
// not overlap, so a translucent colour stays even.
void FillRoundRect(GpGraphics* graphics, const RectF& rect, float radius, COLORREF colour,
                   int alpha) {
    const float r = std::clamp(radius, 1.0f, 100.0f), d = 2 * r;
    const float x = rect.X, y = rect.Y, w = rect.Width, h = rect.Height;
    UniqueBrush brush(MakeBrush(MakeArgb(colour, alpha)));
    if (!brush) return;
    GpBrush* b = brush.get();
    FillRectF(graphics, b, x, y + r, r, h - d);
    FillRectF(graphics, b, x + r, y, w - d, h);
    FillRectF(graphics, b, x + w - r, y + r, r, h - d);
    GdipFillPie(graphics, b, x, y, d, d, 180, 90);
    GdipFillPie(graphics, b, x + w - d, y + h - d, d - 1, d - 1, 360, 90);
    GdipFillPie(graphics, b, x + w - d, y, d - 1, d, 270, 90);
    GdipFillPie(graphics, b, x, y + h - d, d, d - 1, 90, 90);
}

// A strip of a DC kept aside while something is drawn over it with GDI, which the GDI+ clip
// does not hold back, and put back afterwards.
class SavedStrip {
public:
    SavedStrip(HDC dc, int x, int y, int width, int height) : dc_(dc), x_(x), y_(y) {
        if (width > 0 && height > 0 && copy_.Create(dc, width, height)) {
            BitBlt(copy_.Dc(), 0, 0, width, height, dc, x, y, SRCCOPY);
        }
    }
    void Restore() const {
        if (copy_) BitBlt(dc_, x_, y_, copy_.Width(), copy_.Height(), copy_.Dc(), 0, 0, SRCCOPY);
    }

private:
    HDC dc_;
    int x_, y_;
    Canvas copy_;
};

}  // namespace

// --- The list's buffer and the paint request

FormRecord* ListControl::DrawingForm() const {
    return hidden_ ? nullptr : Form();
}

// The content area in whole pixels, as the backdrop covers it.
RECT ListControl::ContentPixels() const {
    const int left = static_cast<int>(contentArea_.X), top = static_cast<int>(contentArea_.Y);
    return RECT{left, top, left + static_cast<int>(contentArea_.Width),
                top + static_cast<int>(contentArea_.Height)};
}

bool ListControl::BufferFits() const {
    const RECT content = ContentPixels();
    return !IsRectEmpty(&backdrop_) && EqualRect(&backdrop_, &content);
}

void ListControl::PrepareBuffer(bool) {
    const FormRecord* form = Form();
    if (!form || !form->windowDc || !form->BackgroundDc()) return;
    SkinForm* skin = SkinForm::FromWindow(form->window);
    const RECT content = ContentPixels();
    if (!skin || IsRectEmpty(&content)) {
        ForgetBackdrop();
        return;
    }
    scrollBarPicture_.Reset();  // it shows the old background
    trackPicture_.Reset();
    // Kept by the form rather than in a copy of the content area's background of the list's
    // own: at 200 % that copy alone took 3.4 MB.
    if (backgroundColour_) {
        skin->SetBackdrop(GetId(), content, MakeArgb(*backgroundColour_, backgroundAlpha_));
    } else {
        skin->SetBackdrop(GetId(), RECT{}, 0);
    }
    backdrop_ = content;
}

void ListControl::ForgetBackdrop() {
    if (const FormRecord* form = Form()) {
        if (SkinForm* skin = SkinForm::FromWindow(form->window)) {
            skin->SetBackdrop(GetId(), RECT{}, 0);
        }
    }
    backdrop_ = RECT{};
}

void ListControl::OnPaintRequest(LPARAM lParam) {
    FormRecord* form = DrawingForm();
    if (!form) return;
    if (!selectionEnabled_) selectedRow_ = 0;
    if (lParam != 0 || backgroundChanged_) {
        // The form's background changed: take it again.
        backgroundChanged_ = false;
        Relayout();
        PrepareBuffer(true);
    } else if (!BufferFits()) {
        PrepareBuffer(true);
    }
    const RECT bounds = BoundsRect();
    RestoreBackground(*form, bounds);
    Paint();
    // With lParam set the form repaints everything and shows it itself.
    if (lParam == 0) PresentRect(*form, bounds);
}

void ListControl::Paint() {
    FormRecord* form = DrawingForm();
    if (!form) return;
    DrawHeader(false);
    if (borderStyle_ > 0) DrawFrame(form->ScreenGraphics(), GetBounds(), borderStyle_);
    DrawRows(false);
    ringDrawn_ = keyboardFocus_;  // a whole paint leaves no ring behind, or draws all of it
}

// The ring's inner line lies on the edge of the content area, which the rows' redraw erases:
// the rows draw it again.
void ListControl::DrawFocusLook(FormRecord& form) {
    if (!keyboardFocus_) return;
    const RECT bounds = ToRect(GetBounds());
    DrawFocusRing(form.ScreenDc(), form.ScreenGraphics(), bounds, Scale().Px(1), bounds);
    ringDrawn_ = true;
}

// --- Header

void ListControl::DrawHeader(bool present) {
    FormRecord* form = DrawingForm();
    if (!form || viewMode_ != kReportView || headerHidden_) return;
    const float height = static_cast<float>(headerHeight_);
    const Bounds& bounds = GetBounds();
    const RectF band = Framed() ? RectF(bounds.X + 1, bounds.Y + 1, bounds.Width - 2, height)
                                : RectF(bounds.X, bounds.Y, bounds.Width, height);
    const RECT bandRect = ToRect(band);
    RestoreBackground(*form, bandRect);

    GpGraphics* graphics = form->ScreenGraphics();
    // Columns wider than the list in all must not draw titles or separators beside it.
    SetClip(graphics, band);
    UniquePen pen(MakePen(MakeArgb(0x000000, kLineAlpha), 1.0f));
    const float bottom = band.Y + height - 1;
    DrawLineF(graphics, pen.get(), band.X, bottom, band.X + band.Width - 1, bottom);
    headerGradient_.Paint(form->ScreenDc(), graphics, band, headerColour_, headerAlphaTop_,
                          headerAlphaBottom_, 1);

    const int imageWidth = headerImages_ ? headerImages_->Width() : 0;
    const int imageHeight = headerImages_ ? headerImages_->Height() : 0;
    const DisplayScale& scale = Scale();
    const float p2 = scale.Px(2.0f), p4 = scale.Px(4.0f), p5 = scale.Px(5.0f);
    const float textTop = band.Y + p2;
    const float left = std::trunc(band.X);
    for (const Column& column : columns_) {
        // A hidden column (width 0) only holds data: no title and no separator.
        if (column.width <= 0) continue;
        const size_t k = static_cast<size_t>(&column - columns_.data());
        const float x = left + static_cast<float>(ColumnOffset(k));
        const float width = static_cast<float>(ColumnPixels(k));
        RectF text(x + p2, textTop, width - p5, height - p4);
        if (imageWidth != 0 && column.headerImage != 0) {
            text = RectF(x + imageWidth + p4, textTop, width - imageWidth - scale.Px(7.0f),
                         height - p4);
            // The provider draws with GDI, which the clip does not hold back.
            if (x + p2 + imageWidth <= band.X + band.Width) {
                GdipFlush(graphics, Gdiplus::FlushIntentionSync);
                headerImages_->Draw(column.headerImage, form->ScreenDc(), static_cast<int>(x + p2),
                                    static_cast<int>(band.Y + (band.Height - imageHeight) / 2));
            }
        }
        if (headerPictures_.size() < columns_.size()) headerPictures_.resize(columns_.size());
        PaintCell(*form, headerPictures_[k], text, column.title, column.alignment, bandRect);
        const float separator = x + width - 1;
        DrawLineF(graphics, pen.get(), separator, textTop, separator, textTop + height - p5);
    }
    ResetClip(graphics);
    if (present) PresentRect(*form, bandRect);
}

// --- Rows

double ListControl::ThumbTop() const {
    return std::abs(scroll_.thumbPosition) < kTolerance ? contentArea_.Y : scroll_.thumbPosition;
}

int ListControl::ContentOffset() const {
    // The tolerance keeps a whole number of rows (a wheel notch) from truncating to one pixel
    // less through rounding noise.
    const double offset = (ThumbTop() - contentArea_.Y) * scroll_.ratio + kTolerance;
    return std::max(0, static_cast<int>(offset));
}

void ListControl::DrawRows(bool present) {
    FormRecord* form = DrawingForm();
    if (!form) return;
    if (!BufferFits()) PrepareBuffer(true);
    const int left = static_cast<int>(contentArea_.X), top = static_cast<int>(contentArea_.Y);
    if (!IsRectEmpty(&backdrop_)) {
        BitBlt(form->ScreenDc(), backdrop_.left, backdrop_.top, backdrop_.right - backdrop_.left,
               backdrop_.bottom - backdrop_.top, form->BackgroundDc(), backdrop_.left,
               backdrop_.top, SRCCOPY);
    }
    visibleItems_.clear();

    if (itemWidth_ > 0 && itemHeight_ > 0) {
        const double contentTop = contentArea_.Y;
        const double contentBottom = contentTop + contentArea_.Height;
        const double contentRight = contentArea_.X + contentArea_.Width;
        int row = 0;  // rows before row + 1 are skipped
        int y = top;
        if (scroll_.enabled) {
            if (std::abs(scroll_.thumbPosition) < kTolerance) scroll_.thumbPosition = contentTop;
            const int offset = ContentOffset();
            const int perLine = PerLine();
            const int firstLine = offset / itemHeight_;
            row = firstLine * perLine;
            y = static_cast<int>(contentTop + static_cast<double>(firstLine) * itemHeight_ -
                                 offset);
        }
        int x = left;
        const int count = RowCount();
        while (row < count && y < contentBottom) {
            ++row;
            if (y + itemHeight_ > contentTop) LayOutRow(*form, row, x, y);
            if (x + 2 * itemWidth_ > contentRight) {
                x = left;
                y += itemHeight_;
            } else {
                x += itemWidth_;
            }
        }
        if (scroll_.enabled) DrawScrollBar(*form);
    }
    DrawFocusLook(*form);
    ForgetFarCellPictures();
    if (present) PresentRect(*form, ToRect(contentArea_));
}

void ListControl::LayOutRow(FormRecord& form, int row, int x, int y) {
    const RectF rect(static_cast<float>(x + 1), static_cast<float>(y + 1),
                     static_cast<float>(itemWidth_ - 2), static_cast<float>(itemHeight_ - 2));
    visibleItems_.push_back({row, rect});
    const int state = selectionEnabled_ && row == selectedRow_ ? kItemSelected : kItemNormal;
    // The scroll bar is drawn once after all rows.
    DrawItem(form, static_cast<int>(visibleItems_.size()), state, false, false);
}

// --- One item

void ListControl::DrawItem(int slot, int state, bool present) {
    if (FormRecord* form = DrawingForm()) DrawItem(*form, slot, state, present, true);
}

void ListControl::DrawItem(FormRecord& form, int slot, int state, bool present,
                           bool withScrollBar) {
    if (slot < 1 || slot > static_cast<int>(visibleItems_.size()) || IsRectEmpty(&backdrop_)) {
        return;
    }
    const ListVisibleItem item = visibleItems_[slot - 1];
    GpGraphics* graphics = form.ScreenGraphics();
    SetClip(graphics, contentArea_);

    // Erase from the backdrop, but only inside the content area: a row cut by the top must not
    // wipe the header.
    const RECT itemRect = ToRect(item.rect), content = ToRect(contentArea_);
    RECT shown{};
    if (IntersectRect(&shown, &itemRect, &content)) {
        BitBlt(form.ScreenDc(), shown.left, shown.top, shown.right - shown.left,
               shown.bottom - shown.top, form.BackgroundDc(), shown.left, shown.top, SRCCOPY);
    }

    RectF back = item.rect;
    if (viewMode_ == kReportView && scroll_.enabled) back.Width -= Scale().Px(kScrollBarClearance);
    if (const StateStyle* style = StyleFor(state)) {
        const COLORREF colour = form.backgroundColour;
        const PlateLook plate{{colour, style->outer},
                              {colour, style->inner},
                              colour,
                              style->fillTop,
                              style->fillBottom};
        form.PaintPlate(back, Scale().Px(kOuterCorner), Scale().Px(kInnerCorner), plate, nullptr,
                        &content);
    }
    DrawItemContent(form, item.rect, item.row);
    // The selected look is drawn in the skin's own colour and may be faint; while the list has
    // the keyboard, the ring shows on any skin which row the keys act on.
    if (keyboardFocus_ && state == kItemSelected) {
        DrawFocusRing(form.ScreenDc(), graphics, ToRect(back), Scale().Px(1), content);
        ringDrawn_ = true;
    }

    RECT overlap;
    if (withScrollBar && scroll_.enabled && IntersectRect(&overlap, &itemRect, &scrollBar_)) {
        DrawScrollBar(form);
    }
    if (present) PresentRect(form, shown);
    ResetClip(graphics);
}

void ListControl::DrawItemContent(FormRecord& form, const RectF& rect, int row) {
    const Row* source = RowAt(row);
    if (!source) return;
    GpGraphics* graphics = form.ScreenGraphics();
    const int imageWidth = itemImages_ ? itemImages_->Width() : 0;
    const int imageHeight = itemImages_ ? itemImages_->Height() : 0;
    const DisplayScale& scale = Scale();
    const float p2 = scale.Px(2.0f), p4 = scale.Px(4.0f);
    int textHeight = static_cast<int>(fontHeight_ + p4);

    if (viewMode_ == kTileView) {
        const RectF text(rect.X + p2, rect.Y + rect.Height - textHeight - p2, rect.Width - p4,
                         static_cast<float>(textHeight));
        PaintCell(form, CellPictures(row).front(), text, source->cells.front(), 1,
                  ToRect(contentArea_));
        if (imageWidth != 0) {
            const RectF icon(rect.X + (rect.Width - imageWidth) / 2,
                             rect.Y + (rect.Height - textHeight - imageHeight) / 2,
                             static_cast<float>(imageWidth), static_cast<float>(imageHeight));
            DrawCellIcon(form, icon, row, 1);
        }
        return;
    }
    if (viewMode_ != kReportView) return;  // other views show only the state background

    if (imageHeight + p4 > textHeight) textHeight = static_cast<int>(imageHeight + p4);
    const float textBand = static_cast<float>(textHeight);
    const float left = std::trunc(rect.X);
    const size_t cells = std::min(columns_.size(), source->cells.size());
    std::vector<TextPicture>& pictures = CellPictures(row);
    const RECT clip = ToRect(contentArea_);
    for (size_t k = 0; k < cells; ++k) {
        const Column& column = columns_[k];
        if (column.width <= 0) continue;  // a hidden column draws neither text nor image
        const float x = left + static_cast<float>(ColumnOffset(k));
        const float width = static_cast<float>(ColumnPixels(k));
        RectF text(x + p2, rect.Y + p2, width - scale.Px(6.0f), textBand - p4);
        if (imageWidth != 0 && column.hasCellImages) {
            text = RectF(x + imageWidth + p4, rect.Y + p2, width - imageWidth - scale.Px(8.0f),
                         textBand - p2);
            const RectF icon(x + p2, rect.Y + (rect.Height - imageHeight) / 2,
                             static_cast<float>(imageWidth), static_cast<float>(imageHeight));
            DrawCellIcon(form, icon, row, static_cast<int>(k) + 1);
        }
        PaintCell(form, pictures[k], text, source->cells[k], column.alignment, clip);
    }
    if (rowLines_) {
        UniquePen pen(MakePen(MakeArgb(0x000000, kLineAlpha), 1.0f));
        const float y = rect.Y + rect.Height + 0.5f;
        DrawLineF(graphics, pen.get(), rect.X, y, rect.X + rect.Width, y);
    }
}

void ListControl::PaintCell(FormRecord& form, TextPicture& picture, const RectF& rect,
                            const std::string& text, int alignment, const RECT& clip) const {
    // GDI+ takes a zero width as "no limit": a column too narrow for any text draws none.
    if (text.empty() || rect.Width <= 0 || rect.Height <= 0) return;
    TextStyle style;
    style.font = Font();
    style.colour = kTextColour;
    style.alpha = kTextAlpha;
    style.alignment = alignment;
    style.trimming = kTrimEllipsisCharacter;
    // One line per cell, ending in an ellipsis when it is too long: a wrapped second line
    // would show under the row where the text rectangle is not clipped (as under Wine).
    style.formatFlags = kNoWrap;
    style.effect = textEffect_;
    picture.Paint(form.ScreenDc(), form.ScreenGraphics(), rect, text, style, clip);
}

std::vector<TextPicture>& ListControl::CellPictures(int row) {
    std::vector<TextPicture>& pictures = cellPictures_[row];
    if (pictures.size() < std::max<size_t>(columns_.size(), 1)) {
        pictures.resize(std::max<size_t>(columns_.size(), 1));
    }
    return pictures;
}

void ListControl::ForgetFarCellPictures() {
    if (visibleItems_.empty()) {
        cellPictures_.clear();
        return;
    }
    // Rows within one view's worth above and below stay: a few wheel notches back and forth
    // find their texts drawn.
    const int shown = static_cast<int>(visibleItems_.size());
    const int first = visibleItems_.front().row - shown, last = visibleItems_.back().row + shown;
    std::erase_if(cellPictures_, [first, last](const auto& entry) {
        return entry.first < first || entry.first > last;
    });
}

// --- Cell images

void ListControl::DrawCellIcon(FormRecord& form, const RectF& rect, int row, int column) {
    const Row* source = RowAt(row);
    if (!itemImages_ || !source || column < 1 || column > static_cast<int>(source->images.size()))
        return;
    const int value = source->images[column - 1];
    if (value == 0) return;
    const int x = static_cast<int>(rect.X), y = static_cast<int>(rect.Y);
    const int width = static_cast<int>(rect.Width);
    const int bottom = static_cast<int>(rect.Y + rect.Height);
    const int height = bottom - y;
    const int contentTop = static_cast<int>(contentArea_.Y);
    const int contentBottom = static_cast<int>(contentArea_.Y + contentArea_.Height);
    const int contentRight = static_cast<int>(contentArea_.X + contentArea_.Width);
    // The provider draws with GDI, past the GDI+ clip: what it would paint outside the content
    // area (above or below it for a row cut by an edge, right of it for a column wider than the
    // list) is put back afterwards.
    GdipFlush(form.ScreenGraphics(), Gdiplus::FlushIntentionSync);
    const SavedStrip above(form.ScreenDc(), x, y, width, std::min(contentTop, bottom) - y);
    const int belowTop = std::max(contentBottom, y);
    const SavedStrip below(form.ScreenDc(), x, belowTop, width, bottom - belowTop);
    const int rightLeft = std::max(contentRight, x);
    const SavedStrip right(form.ScreenDc(), rightLeft, y, x + width - rightLeft, height);
    itemImages_->Draw(value, form.ScreenDc(), x, y);
    above.Restore();
    below.Restore();
    right.Restore();
}

// --- Scroll bar

void ListControl::DrawScrollBar() {
    if (FormRecord* form = DrawingForm(); form && scroll_.enabled) DrawScrollBar(*form);
}

void ListControl::DrawScrollBar(FormRecord& form) {
    if (IsRectEmpty(&backdrop_)) return;
    const RECT& bar = scrollBar_;
    const int width = bar.right - bar.left, height = bar.bottom - bar.top;
    if (width <= 0 || height <= 0) return;
    // Every row touching the bar redraws it; the picture is kept and copied while nothing it
    // shows has changed, since each GDI+ fill costs far more than the copy.
    const ScrollBarLook look{bar, ThumbTop(), scroll_.thumbLength, form.backgroundColour};
    if (scrollBarPicture_ && look == scrollBarLook_) {
        BitBlt(form.ScreenDc(), bar.left, bar.top, width, height, scrollBarPicture_.Dc(), 0, 0,
               SRCCOPY);
        return;
    }
    GpGraphics* graphics = form.ScreenGraphics();
    const RectF track(static_cast<float>(bar.left), static_cast<float>(bar.top),
                      static_cast<float>(width), static_cast<float>(height));
    // Only the thumb moves with the wheel: the track over the background is kept, since its
    // rounded fill down the whole list costs milliseconds under Wine.
    const ScrollBarLook trackLook{bar, 0, 0, form.backgroundColour};
    if (trackPicture_ && trackLook == trackLook_) {
        BitBlt(form.ScreenDc(), bar.left, bar.top, width, height, trackPicture_.Dc(), 0, 0,
               SRCCOPY);
    } else {
        BitBlt(form.ScreenDc(), bar.left, bar.top, width, height, form.BackgroundDc(), bar.left,
               bar.top, SRCCOPY);
        FillRoundRect(graphics, track, Scale().Px(kScrollBarRadius), form.backgroundColour,
                      kTrackAlpha);
        GdipFlush(graphics, Gdiplus::FlushIntentionSync);
        if (trackPicture_.Create(form.ScreenDc(), width, height)) {
            BitBlt(trackPicture_.Dc(), 0, 0, width, height, form.ScreenDc(), bar.left, bar.top,
                   SRCCOPY);
            trackLook_ = trackLook;
        }
    }
    const float inset = Scale().Px(1.0f);
    const RectF thumb(track.X + inset, static_cast<float>(look.thumbTop + inset),
                      track.Width - 2 * inset, static_cast<float>(scroll_.thumbLength - 2 * inset));
    FillRoundRect(graphics, thumb, Scale().Px(kScrollBarRadius), 0x000000, kThumbAlpha);

    GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    const bool fits = scrollBarPicture_.Width() == width && scrollBarPicture_.Height() == height;
    if (fits || scrollBarPicture_.Create(form.ScreenDc(), width, height)) {
        BitBlt(scrollBarPicture_.Dc(), 0, 0, width, height, form.ScreenDc(), bar.left, bar.top,
               SRCCOPY);
        scrollBarLook_ = look;
    }
}
