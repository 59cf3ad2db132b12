#include "app/play/play_toolbar_look.h"

namespace {

void Fill(HDC dc, RECT rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// One-pixel lines: shadow along the top and left, light along the bottom and right.
void Inset(HDC dc, const RECT& rect) {
    Fill(dc, {rect.left, rect.top, rect.right, rect.top + 1}, kToolbarInsetShadow);
    Fill(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, kToolbarInsetShadow);
    Fill(dc, {rect.left + 1, rect.bottom - 1, rect.right, rect.bottom}, kToolbarInsetLight);
    Fill(dc, {rect.right - 1, rect.top + 1, rect.right, rect.bottom}, kToolbarInsetLight);
}

}  // namespace

LRESULT DrawPlayToolbarButton(NMTBCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            break;
        default:
            return CDRF_DODEFAULT;
    }
    const UINT state = draw.nmcd.uItemState;
    const bool sunk = (state & (CDIS_CHECKED | CDIS_SELECTED)) != 0;
    const bool hot = (state & CDIS_HOT) != 0;
    if (!sunk && !hot) return CDRF_DODEFAULT;
    HDC dc = draw.nmcd.hdc;
    const RECT& face = draw.nmcd.rc;
    if (sunk) {
        Fill(dc, face, hot ? kToolbarCheckedHotFill : kToolbarCheckedFill);
        Inset(dc, face);
    } else {
        SetDCBrushColor(dc, kToolbarHotFrame);
        FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        RECT inside = face;
        InflateRect(&inside, -1, -1);
        Fill(dc, inside, kToolbarHotFill);
    }
    return TBCDRF_NOBACKGROUND | TBCDRF_NOEDGES;
}
