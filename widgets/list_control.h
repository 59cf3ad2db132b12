// ListControl: the windowless, custom-drawn grid of a skinned form in which the catalogue's games
// are listed. Columns with a header band, rows of text cells (optionally with small images drawn
// by an image provider), hover, pressed and selected looks, a scroll bar, wheel scrolling and
// thumb dragging. Like every widget it lives in its form's WidgetTable, receives the form's
// messages through HandleMessage and draws into the form's screen buffer; unlike the small
// widgets it keeps a buffer of its own holding the background of its content area, so that one
// row, the header or the scroll bar can be erased and redrawn alone.
//
// Numbering: rows and columns from 1. A slot is a 1-based position in VisibleItems(), the rows
// laid out on screen by the last full redraw; slots are renumbered by every full redraw. Row and
// column numbers out of range are ignored: reads give an empty text or 0, writes do nothing.
// Every text is GBK, copied in and copied out.
//
// Ownership: the list owns its rows and its buffer, and (through FormWidget, which also gives it
// its identity, registration, form lookup, Move and geometry getters) its font unless that is
// DefaultFont; it shares the image providers with the caller and calls their Release once when
// its form goes. Everything runs on the form's window thread.
//
// Sections of the implementation: list_control.cpp (creation, model, geometry, teardown),
// list_control_draw.cpp (buffer, header, rows, items, images, scroll bar),
// list_control_input.cpp (message dispatch, hit test, hover, clicks, wheel, thumb drag, keys).
//
// The keyboard: while the list is its form's focus widget and the form's window has the keyboard
// focus, a focus ring shows around the list and the row keys move the selection (OnKey).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "widgets/canvas.h"
#include "widgets/drawing.h"
#include "widgets/form_widget.h"
#include "widgets/gradient_picture.h"
#include "widgets/text_picture.h"

// Draws small pictures for the list: the header provider draws columns' header image values, the
// item provider draws cells' image values. All images of one provider share one size. Value 0
// means "no image" and is never drawn.
class ListImageProvider {
public:
    virtual ~ListImageProvider() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // One image with its top-left corner at (x, y) of `dc`, the form's screen buffer.
    virtual void Draw(int value, HDC dc, int x, int y) = 0;
    // The list's form is being destroyed; called once per list holding the provider.
    virtual void Release() {}
};

// Item states passed to DrawItem. 0 and 15 draw no state background; 514 and 515 look like 512;
// any other value draws no visible state.
enum ListItemState {
    kItemNormal = 0,
    kItemHover = 512,
    kItemPressed = 513,
    kItemSelected = 10086,
};

enum ListViewMode {
    kReportView = 0,  // columns and an optional header
    kTileView = 1,    // 70 x 60 tiles showing the first cell; other values lay rows out likewise
};

struct ListCreateOptions {
    std::optional<COLORREF> backgroundColour;  // fill of the content area; none: no fill
    int backgroundAlpha = 255;
    FontChoice font;  // nothing given: DefaultFont
    int textEffect = kEffectNone;
    int borderStyle = kFrameNone;  // a FrameStyle; 2, 3 and 4 draw a one-pixel frame
    bool visible = true;           // the WidgetRecord's visible flag
};

struct ListColumnSpec {
    std::string title;    // GBK
    int alignment = 0;    // PaintText alignment 0..5, for the title and the cells
    int width = 0;        // 96-dpi units; 0 hides the column (it still holds data)
    int headerImage = 0;  // value for the header image provider; 0 none
};

struct ListViewOptions {
    int viewMode = kReportView;
    std::shared_ptr<ListImageProvider> headerImages;
    std::shared_ptr<ListImageProvider> itemImages;
    std::optional<COLORREF> headerColour;  // none: the parent form's colour
    int headerAlphaTop = 100;
    int headerAlphaBottom = 0;
    bool headerHidden = false;  // report view only; other views keep the previous value
    bool rowLines = false;      // report view only; other views keep the previous value
    bool selectionEnabled = false;
};

struct ListScrollState {
    bool enabled = false;      // the rows are taller than the content area
    double thumbPosition = 0;  // form y of the thumb's top; 0 = not placed yet (content top)
    int contentHeight = 0;     // pixels of all rows
    int thumbLength = 0;       // at least 15
    int visibleHeight = 0;     // the content area's height
    double ratio = 0;          // content pixels per thumb pixel
};

struct ListVisibleItem {
    int row = 0;
    RectF rect;  // form coordinates, inset by 1 pixel on every side
};

class ListControl : public FormWidget, public AccessibleItems {
public:
    static constexpr int kTileWidth = 70;
    static constexpr int kTileHeight = 60;
    static constexpr int kMinThumbLength = 15;

    // --- Creation and placement (Move, GetId and the geometry getters are FormWidget's; a move
    // lays the list out again for its new size and place)
    // Registers the list on `parent` (a window with an attached SkinForm). Draws nothing: call
    // SetColumns, then Redraw. Returns the widget id, 0 when it could not be registered.
    int Create(HWND parent, int left, int top, int width, int height,
               const ListCreateOptions& options = {});
    bool Hidden() const { return hidden_; }
    // A hidden list draws nothing and ignores hover and clicks (the wheel still scrolls it).
    // Hiding erases it from the form and ends a thumb drag; showing repaints it, over the
    // form's background as it is then. Returns the flag now held.
    bool Hidden(bool hidden);
    // Repaints the whole list and shows it; false when its WidgetRecord is not visible.
    bool Redraw();

    // --- Columns and rows
    // Replaces the columns and the view options; rows keep their cells (rows shorter than the new
    // column count get empty cells). Call before adding rows.
    void SetColumns(const std::vector<ListColumnSpec>& columns,
                    const ListViewOptions& options = {});
    // Appends (no position) or inserts so that the row becomes row `position`
    // (1..RowCount() + 1). Returns the new row's number; 0 when the position is out of range and
    // nothing was added. Nothing is repainted.
    int AddRow(std::optional<int> position = std::nullopt, std::string_view text = {},
               int image = 0, int data = 0, std::string_view tag = {});
    // Replaces one cell's text and image value and repaints that row at once when it is on
    // screen.
    void SetCell(int row, int column, std::string_view text = {}, int image = 0);
    std::string GetCellText(int row, int column = 1) const;
    int GetRowData(int row) const;
    std::string GetRowTag(int row) const;
    int GetColumnWidth(int column) const;
    // Sets the width and redraws.
    void SetColumnWidth(int column, int width);
    // Removes every row, forgets selection, hover and scrolling, and redraws; a caller that
    // fills the list again and redraws it then passes redraw false, so the empty list is never
    // drawn (nobody would see it).
    void Clear(bool redraw = true);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }

    // --- Selection
    int SelectedRow() const { return selectedRow_; }
    // Stores the row as given (no range check) without repainting; returns it.
    int SelectedRow(int row);
    // Called after every click with the selected row (0 after a deselecting click).
    void SetOnActivate(std::function<void(int row)> handler) { onActivate_ = std::move(handler); }

    // --- Geometry
    // Content area and item size from the bounds, view mode, font and providers; then
    // UpdateScrollBar.
    void Relayout();
    // Scroll state and scroll bar rectangle from the row count and the geometry.
    void UpdateScrollBar();

    // --- Drawing (list_control_draw.cpp)
    // Has the form compose the list's backdrop (the skin under the background colour) into its
    // background buffer over the content area, which rows are then erased from. Again whenever
    // the content area moves or changes size.
    void PrepareBuffer(bool recreate = false);
    // The form's background goes back to the skin alone under the list.
    void ForgetBackdrop();
    void Paint();  // header, frame and rows into the form's screen buffer
    void DrawHeader(bool present = false);
    void DrawRows(bool present = false);
    // One laid-out item (slot) in one ListItemState; `present` shows it on the window at once.
    void DrawItem(int slot, int state, bool present);
    void DrawScrollBar();

    // --- Interaction (list_control_input.cpp)
    int HitTestItem() const;  // slot under the cursor, 0 when none
    // The row drawn at `point` (form coordinates), 0 when none (also over the scroll bar and
    // while hidden): the row a context menu is for.
    int RowAtPoint(POINT point) const;

    // The row keys: Up and Down select the row above or below, PageUp and PageDown the row a page
    // of rows away, Home and End the first and the last row (with none selected, the rows start
    // before the first); the row selected is scrolled into view. True when `key` (a virtual key)
    // was one of them; a hidden list takes no keys.
    bool OnKey(UINT key);
    // Scrolls as little as needed for `row` to show whole, and redraws the rows.
    void ScrollIntoView(int row);
    bool KeyboardFocus() const { return keyboardFocus_; }

    // --- What a screen reader hears (widget_facts.cpp): each row a list item, named by the
    // text of one column and described by another's (0: none).
    void SetItemTextColumns(int nameColumn, int descriptionColumn);
    AccessibleItems* Items() override { return this; }
    int ItemCount() const override { return RowCount(); }
    AccessibleFacts ItemFacts(int row) const override;
    std::optional<RECT> ItemRect(int row) const override;
    int ItemAt(POINT formPoint) const override { return RowAtPoint(formPoint); }
    int SelectedItem() const override { return selectedRow_; }
    void SelectItem(int row) override { MoveSelection(row); }

    // --- Read-only state, for the application's tests and benchmarks.
    const ListScrollState& Scroll() const { return scroll_; }
    const std::vector<ListVisibleItem>& VisibleItems() const { return visibleItems_; }
    const RectF& ContentArea() const { return contentArea_; }
    int HeaderHeight() const { return headerHeight_; }
    int ItemWidth() const { return itemWidth_; }
    int ItemHeight() const { return itemHeight_; }
    const RECT& ScrollBarRect() const { return scrollBar_; }
    int HoverSlot() const { return hoverSlot_; }
    int PressedSlot() const { return pressedSlot_; }
    bool Dragging() const { return dragging_; }
    int ClampCount() const { return clampCount_; }

protected:
    // list_control_input.cpp: the messages the form delivers.
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    AccessibleFacts OwnFacts() const override;
    void OnDestroy() override;
    void OnMoved() override;
    void OnScaleChanged() override;

private:
    // Below this, a thumb position or a length counts as 0 (rounding noise of the ratios).
    static constexpr double kTolerance = 1e-7;

    struct Column {
        std::string title;
        int alignment = 0;
        int width = 0;
        int headerImage = 0;
        bool hasCellImages = false;
    };
    struct Row {
        std::vector<std::string> cells;
        std::vector<int> images;
        int data = 0;
        std::string tag;
    };

    // list_control.cpp
    const Row* RowAt(int row) const;
    Row* RowAt(int row);
    int SlotOfRow(int row) const;  // first slot showing the row, 0 when none
    int PerLine() const;           // items side by side on one line, at least 1
    int MinThumbLength() const;    // kMinThumbLength at the form's scale
    // Pixels from the item's left to column `column`'s left (0-based), and the column's width:
    // the design widths' edges scaled, so the columns meet at any scale.
    int ColumnOffset(size_t column) const;
    int ColumnPixels(size_t column) const;
    // The border style draws a one-pixel frame the content lies inside.
    bool Framed() const;

    // list_control_draw.cpp
    // The form to draw on; nullptr while hidden or without form, so nothing is drawn then.
    FormRecord* DrawingForm() const;
    bool BufferFits() const;
    RECT ContentPixels() const;
    void OnPaintRequest(LPARAM lParam);
    void LayOutRow(FormRecord& form, int row, int x, int y);
    void DrawItem(FormRecord& form, int slot, int state, bool present, bool withScrollBar);
    void DrawItemContent(FormRecord& form, const RectF& rect, int row);
    void DrawCellIcon(FormRecord& form, const RectF& rect, int row, int column);
    void PaintCell(FormRecord& form, TextPicture& picture, const RectF& rect,
                   const std::string& text, int alignment, const RECT& clip) const;
    // The pictures of a laid-out row's cells, one per column (made on first use).
    std::vector<TextPicture>& CellPictures(int row);
    // Lets the pictures of rows far from the ones laid out go.
    void ForgetFarCellPictures();
    void DrawScrollBar(FormRecord& form);
    void DrawFocusLook(FormRecord& form);  // the focus ring, while the list has the keyboard
    double ThumbTop() const;               // the thumb position, the content top while not placed
    int ContentOffset() const;

    // list_control_input.cpp
    POINT CursorInForm() const;
    int SlotAt(POINT point) const;
    int RestingState(int slot) const;    // selected or normal
    int HoverState(int slot) const;      // selected or hover
    void ShowItem(int slot, int state);  // draws and presents one slot, if it exists
    void OnHover();
    void OnPress();
    void OnRelease();
    void OnWheel(WPARAM wParam);
    void OnCapturedMove();
    // The press is over without a release reaching the list (capture lost, list hidden): a
    // thumb drag ends.
    void EndDrag();
    // Puts the thumb back inside its track: -1 when it was above, 1 below, 0 when inside.
    int ClampThumb();
    void Activate();
    // The keyboard's selection: `row` (clamped to the rows) selected, scrolled into view, and
    // the readers told the focus and the selection moved.
    void MoveSelection(int row);

    // Placement.
    RectF contentArea_;
    int headerHeight_ = 0;
    bool hidden_ = false;
    bool backgroundChanged_ = false;  // the form's background changed while hidden

    // Looks.
    std::optional<COLORREF> backgroundColour_;
    int backgroundAlpha_ = 255;
    int textEffect_ = kEffectNone;
    int borderStyle_ = kFrameNone;
    bool headerHidden_ = false;
    bool rowLines_ = false;
    bool selectionEnabled_ = false;
    int viewMode_ = kReportView;
    COLORREF headerColour_ = 0xFFFFFF;
    int headerAlphaTop_ = 100;
    int headerAlphaBottom_ = 0;
    std::shared_ptr<ListImageProvider> headerImages_;
    std::shared_ptr<ListImageProvider> itemImages_;

    // Model.
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    int itemWidth_ = 0;
    int itemHeight_ = 0;
    float fontHeight_ = 0;  // of the list's font on the form's screen buffer

    // Drawing state.
    // The content area whose backdrop the form's background buffer holds; empty until then.
    RECT backdrop_{};
    // The scroll bar as last drawn, and what it showed.
    struct ScrollBarLook {
        RECT bar{};
        double thumbTop = 0;
        int thumbLength = 0;
        COLORREF colour = 0;
        bool operator==(const ScrollBarLook& other) const {
            return EqualRect(&bar, &other.bar) && thumbTop == other.thumbTop &&
                   thumbLength == other.thumbLength && colour == other.colour;
        }
    };
    Canvas scrollBarPicture_;
    ScrollBarLook scrollBarLook_;
    // The track alone over the background, and the bar and colour it was drawn for (thumb
    // fields unused): a moved thumb is drawn over a copy of it.
    Canvas trackPicture_;
    ScrollBarLook trackLook_;
    // The header titles' and the cells' texts, each drawn once and shown again while it stays
    // the same (hover, selection and scrolling change no text); cells by row.
    std::vector<TextPicture> headerPictures_;
    GradientPicture headerGradient_;
    std::unordered_map<int, std::vector<TextPicture>> cellPictures_;
    ListScrollState scroll_;
    RECT scrollBar_{};
    std::vector<ListVisibleItem> visibleItems_;

    // Interaction state.
    int hoverSlot_ = 0;
    int selectedRow_ = 0;
    int pressedSlot_ = 0;
    int clampCount_ = 0;  // consecutive drag moves that hit an end of the track
    int clampSide_ = 0;   // which end the last one hit: -1 top, 1 bottom
    bool dragging_ = false;
    bool keyboardFocus_ = false;
    bool ringDrawn_ = false;        // some of the focus ring may be on screen
    bool focusLookPosted_ = false;  // a repaint for a keyboard focus change is on its way
    std::function<void(int)> onActivate_;

    // What readers hear.
    int nameColumn_ = 1;
    int descriptionColumn_ = 0;
    bool rowsChanged_ = false;  // rows came or went since the last Redraw: readers hear of it

    // Distance from the thumb's top to the pointer when a drag starts; one for all lists, since
    // the form's single mouse capture lets only one thumb be dragged at a time.
    static double thumbGrabOffset_;
};
