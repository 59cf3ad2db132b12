// ListControl, part 1: creation and placement; columns and rows; selection; geometry (content
// area, item size, scroll state); teardown. Drawing is in list_control_draw.cpp, input in
// list_control_input.cpp.
#include "widgets/list_control.h"

#include <algorithm>
#include <cmath>

#include "widgets/form_surface.h"

namespace {

// The scroll bar column: this far from the content's right edge to its left side, this wide,
// one pixel below the content top and two pixels shorter than the content area.
constexpr int kScrollBarInset = 17;
constexpr int kScrollBarWidth = 16;
constexpr int kHeaderPadding = 6;        // header and row height = font height + this
constexpr int kHeaderImagePadding = 10;  // header height with a header image provider
constexpr int kItemImagePadding = 8;     // row height with an item image provider

int ProviderHeight(const std::shared_ptr<ListImageProvider>& provider) {
    return provider ? provider->Height() : 0;
}

}  // namespace

double ListControl::thumbGrabOffset_ = 0;

// --- Creation and placement

int ListControl::Create(HWND parent, int left, int top, int width, int height,
                        const ListCreateOptions& options) {
    if (GetId() && FindWidget(GetId())) return GetId();
    UseFont(options.font);
    backgroundColour_ = options.backgroundColour;
    backgroundAlpha_ = std::clamp(options.backgroundAlpha, 0, 255);
    textEffect_ = options.textEffect;
    borderStyle_ = options.borderStyle;
    Placement placement{parent, left, top, width, height, options.visible, true, kKindListControl};
    placement.takesKeys = true;
    return Register(placement);
}

void ListControl::OnMoved() {
    const RECT old = backdrop_;
    Relayout();
    // The content area may have changed size, and it now lies over another part of the
    // background either way.
    PrepareBuffer(true);
    // The old place was erased while the background still held the backdrop there.
    const FormRecord* form = DrawingForm();
    if (form && !IsRectEmpty(&old) && !EqualRect(&old, &backdrop_)) EraseRect(*form, old);
    Redraw();
}

bool ListControl::Hidden(bool hidden) {
    if (hidden == hidden_) return hidden_;
    hidden_ = hidden;
    FormRecord* form = Form();
    if (!form) return hidden_;
    if (hidden_) {
        EndDrag();
        ForgetBackdrop();
        // Paint requests are ignored from now on, so the list's picture goes here.
        EraseRect(*form, BoundsRect());
    } else {
        Redraw();
    }
    return hidden_;
}

bool ListControl::Redraw() {
    const WidgetRecord* record = WidgetAt(FindWidget(GetId()));
    if (!record || !record->visible) return false;
    HandleMessage(Parent(), WM_PAINT, 0, 0);
    // A new page in the list: readers start reading it afresh.
    if (rowsChanged_) NotifyReaders(EVENT_OBJECT_REORDER, Parent(), GetId(), CHILDID_SELF);
    rowsChanged_ = false;
    return true;
}

// --- Columns and rows

void ListControl::SetColumns(const std::vector<ListColumnSpec>& columns,
                             const ListViewOptions& options) {
    const FormRecord* form = Form();
    headerColour_ = options.headerColour.value_or(form ? form->backgroundColour : 0xFFFFFF);
    headerAlphaTop_ = std::clamp(options.headerAlphaTop, 0, 255);
    headerAlphaBottom_ = std::clamp(options.headerAlphaBottom, 0, 255);
    viewMode_ = options.viewMode;
    headerImages_ = options.headerImages;
    itemImages_ = options.itemImages;

    columns_.clear();
    for (const ListColumnSpec& column : columns) {
        columns_.push_back(
            {column.title, column.alignment, column.width, column.headerImage, false});
    }
    // Rows added under fewer columns get empty cells, so every column can be read and set.
    for (Row& row : rows_) {
        if (row.cells.size() < columns_.size()) {
            row.cells.resize(columns_.size());
            row.images.resize(columns_.size(), 0);
        }
        for (size_t k = 0; k < columns_.size(); ++k) {
            if (row.images[k] != 0) columns_[k].hasCellImages = true;
        }
    }

    if (viewMode_ == kReportView) {
        headerHidden_ = options.headerHidden;
        rowLines_ = options.rowLines;
    }
    selectionEnabled_ = options.selectionEnabled;
    Relayout();
    PrepareBuffer(false);
}

int ListControl::AddRow(std::optional<int> position, std::string_view text, int image, int data,
                        std::string_view tag) {
    const int count = RowCount();
    const int at = position.value_or(count + 1);
    if (at < 1 || at > count + 1) return 0;

    Row row;
    const size_t cells = std::max<size_t>(columns_.size(), 1);
    row.cells.resize(cells);
    row.images.resize(cells, 0);
    row.cells[0].assign(text);
    row.images[0] = image;
    row.data = data;
    row.tag.assign(tag);
    if (image != 0 && !columns_.empty()) columns_[0].hasCellImages = true;

    rowsChanged_ = true;
    if (at == count + 1) {
        rows_.push_back(std::move(row));
    } else {
        rows_.insert(rows_.begin() + (at - 1), std::move(row));
        // The selection stays with its row.
        if (selectedRow_ >= at) ++selectedRow_;
    }
    UpdateScrollBar();
    return at;
}

void ListControl::SetCell(int row, int column, std::string_view text, int image) {
    Row* target = RowAt(row);
    if (!target || column < 1 || column > static_cast<int>(target->cells.size())) return;
    target->cells[column - 1].assign(text);
    target->images[column - 1] = image;
    if (image != 0 && column <= ColumnCount()) columns_[column - 1].hasCellImages = true;
    if (const int slot = SlotOfRow(row)) DrawItem(slot, RestingState(slot), true);
}

std::string ListControl::GetCellText(int row, int column) const {
    const Row* source = RowAt(row);
    if (!source || column < 1 || column > static_cast<int>(source->cells.size())) return {};
    return source->cells[column - 1];
}

int ListControl::GetRowData(int row) const {
    const Row* source = RowAt(row);
    return source ? source->data : 0;
}

std::string ListControl::GetRowTag(int row) const {
    const Row* source = RowAt(row);
    return source ? source->tag : std::string();
}

int ListControl::GetColumnWidth(int column) const {
    if (column < 1 || column > ColumnCount()) return 0;
    return columns_[column - 1].width;
}

void ListControl::SetColumnWidth(int column, int width) {
    if (column < 1 || column > ColumnCount()) return;
    columns_[column - 1].width = width;
    Redraw();
}

void ListControl::Clear(bool redraw) {
    selectedRow_ = 0;
    hoverSlot_ = 0;
    scroll_.thumbPosition = 0;
    rowsChanged_ = true;
    rows_.clear();
    visibleItems_.clear();
    // The cell pictures stay: the next page's rows take the same places, and a picture of the
    // same size draws its new text into the pixels it has (a picture knows which text it shows,
    // so an old text never shows). The redraw forgets those of rows far from the new view.
    UpdateScrollBar();
    if (redraw) Redraw();
}

const ListControl::Row* ListControl::RowAt(int row) const {
    if (row < 1 || row > RowCount()) return nullptr;
    return &rows_[row - 1];
}

ListControl::Row* ListControl::RowAt(int row) {
    if (row < 1 || row > RowCount()) return nullptr;
    return &rows_[row - 1];
}

bool ListControl::Framed() const {
    return borderStyle_ == kFrameRaised || borderStyle_ == kFrameSunken ||
           borderStyle_ == kFrameFlat;
}

int ListControl::SlotOfRow(int row) const {
    // Laid-out rows are consecutive and ascending, so the slot follows from the first one;
    // this keeps SetCell cheap whatever the number of rows.
    if (visibleItems_.empty()) return 0;
    const int first = visibleItems_.front().row;
    if (row < first || row > visibleItems_.back().row) return 0;
    const int slot = row - first + 1;
    if (slot <= static_cast<int>(visibleItems_.size()) && visibleItems_[slot - 1].row == row) {
        return slot;
    }
    for (size_t i = 0; i < visibleItems_.size(); ++i) {
        if (visibleItems_[i].row == row) return static_cast<int>(i) + 1;
    }
    return 0;
}

// --- Selection

int ListControl::SelectedRow(int row) {
    selectedRow_ = row;
    return selectedRow_;
}

// --- Geometry

void ListControl::Relayout() {
    const FormRecord* form = Form();
    if (!form) return;
    const double oldTop = contentArea_.Y;
    const Bounds& bounds = GetBounds();
    const float x = bounds.X, y = bounds.Y, w = bounds.Width, h = bounds.Height;
    const bool framed = Framed();
    const DisplayScale& scale = Scale();
    fontHeight_ = FontHeight(form->ScreenGraphics(), Font());
    const int lineHeight = static_cast<int>(fontHeight_ + scale.Px(kHeaderPadding));

    if (viewMode_ == kReportView) {
        const int headerImage = ProviderHeight(headerImages_) + scale.Px(kHeaderImagePadding);
        headerHeight_ = headerImage > lineHeight ? headerImage : lineHeight;
        if (headerHidden_) {
            contentArea_ = framed ? RectF(x + 1, y + 1, w - 2, h - 2) : bounds;
        } else {
            const float header = static_cast<float>(headerHeight_);
            contentArea_ = framed ? RectF(x + 1, y + header + 1, w - 2, h - header - 2)
                                  : RectF(x, y + header, w, h - header);
        }
        itemWidth_ = static_cast<int>(contentArea_.Width);
        itemHeight_ = lineHeight;
        const int itemImage = ProviderHeight(itemImages_) + scale.Px(kItemImagePadding);
        if (itemImage > itemHeight_) itemHeight_ = itemImage;
    } else {
        contentArea_ = framed ? RectF(x + 1, y + 1, w - 2, h - 2) : bounds;
        itemWidth_ = scale.Px(kTileWidth);
        itemHeight_ = scale.Px(kTileHeight);
    }
    // The thumb position is a form coordinate: it moves with the content area.
    if (std::abs(scroll_.thumbPosition) > kTolerance) {
        scroll_.thumbPosition += contentArea_.Y - oldTop;
    }
    UpdateScrollBar();
}

void ListControl::UpdateScrollBar() {
    if (itemWidth_ <= 0 || itemHeight_ <= 0) {
        scroll_.enabled = false;
        return;
    }
    const int perLine = PerLine();
    const int count = RowCount();
    const int lines = count / perLine + (count % perLine ? 1 : 0);
    const double content = static_cast<double>(lines) * itemHeight_;
    const double visible = static_cast<int>(contentArea_.Height);
    const int minThumb = MinThumbLength();
    scroll_.contentHeight = static_cast<int>(content);
    scroll_.visibleHeight = static_cast<int>(visible);
    // A content area no taller than the shortest thumb has no track to scroll with.
    if (visible >= content || visible <= minThumb) {
        scroll_.enabled = false;
        return;
    }
    scroll_.enabled = true;
    const double thumb = visible * (visible / content);
    if (thumb - minThumb > kTolerance) {
        scroll_.thumbLength = static_cast<int>(thumb);
        scroll_.ratio = content / visible;
    } else {
        // The thumb is held at its minimum length; the track left to it sets the ratio.
        scroll_.thumbLength = minThumb;
        const double adjusted = visible * ((visible - (minThumb - thumb)) / content);
        scroll_.ratio = content / (visible - (minThumb - adjusted));
    }
    // The bar's edges from the content's right edge (17 and 1 pixels at 96 dpi), scaled.
    const DisplayScale& scale = Scale();
    const int contentRight = static_cast<int>(contentArea_.X + contentArea_.Width);
    const int gap = scale.Px(1);
    MakeRect(contentRight - scale.Px(kScrollBarInset), static_cast<int>(contentArea_.Y) + gap,
             scale.Px(kScrollBarInset) - scale.Px(kScrollBarInset - kScrollBarWidth),
             static_cast<int>(contentArea_.Height) - 2 * gap, scrollBar_);
    // A taller thumb (fewer rows, a taller list) must still end inside the track.
    if (std::abs(scroll_.thumbPosition) > kTolerance) ClampThumb();
}

int ListControl::MinThumbLength() const {
    return Scale().Px(kMinThumbLength);
}

int ListControl::ColumnOffset(size_t column) const {
    int design = 0;
    for (size_t k = 0; k < column && k < columns_.size(); ++k)
        design += std::max(columns_[k].width, 0);
    return Scale().Px(design);
}

int ListControl::ColumnPixels(size_t column) const {
    if (column >= columns_.size() || columns_[column].width <= 0) return 0;
    return ColumnOffset(column + 1) - ColumnOffset(column);
}

void ListControl::OnScaleChanged() {
    // Where the thumb was along its track, kept as a share of it.
    const int oldTrack = scroll_.visibleHeight - scroll_.thumbLength;
    const double share =
        scroll_.enabled && oldTrack > 0 && std::abs(scroll_.thumbPosition) > kTolerance
            ? (scroll_.thumbPosition - contentArea_.Y) / oldTrack
            : 0;
    // Every picture was drawn for the old font and sizes.
    headerPictures_.clear();
    cellPictures_.clear();
    backdrop_ = RECT{};  // laid out again for the new scale below; the form composes it anew
    scrollBarPicture_.Reset();
    trackPicture_.Reset();
    visibleItems_.clear();
    hoverSlot_ = 0;
    scroll_.thumbPosition = 0;
    Relayout();
    if (scroll_.enabled && share > 0) {
        scroll_.thumbPosition =
            contentArea_.Y + share * (scroll_.visibleHeight - scroll_.thumbLength);
        ClampThumb();
    }
}

int ListControl::PerLine() const {
    return itemWidth_ > 0 ? std::max(1, static_cast<int>(contentArea_.Width / itemWidth_)) : 1;
}

// --- Teardown

void ListControl::OnDestroy() {
    for (auto* provider : {&headerImages_, &itemImages_}) {
        if (*provider) (*provider)->Release();
        provider->reset();
    }
    columns_.clear();
    visibleItems_.clear();
    headerPictures_.clear();
    cellPictures_.clear();
    ForgetBackdrop();
    scrollBarPicture_.Reset();
    trackPicture_.Reset();
    hoverSlot_ = 0;
    dragging_ = false;
}
