// The play toolbar's button faces. The common control draws a checked flat button (静音 while
// muted, 收藏 while a favourite) with a dithered face that looks much like its hover face; here
// a checked button is a darker fill sunk behind an inset edge, a hovered one a light fill in a
// thin frame, so the two never look alike.
#pragma once

#include <windows.h>

#include <commctrl.h>

// The faces' colours.
constexpr COLORREF kToolbarHotFill = RGB(229, 241, 251);
constexpr COLORREF kToolbarHotFrame = RGB(160, 196, 232);
constexpr COLORREF kToolbarCheckedFill = RGB(178, 200, 226);
constexpr COLORREF kToolbarCheckedHotFill = RGB(164, 189, 219);
constexpr COLORREF kToolbarInsetShadow = RGB(92, 116, 148);
constexpr COLORREF kToolbarInsetLight = RGB(236, 243, 250);

// The answer to the toolbar's NM_CUSTOMDRAW: draws the face of a hovered, pressed or checked
// button and leaves the toolbar its text.
LRESULT DrawPlayToolbarButton(NMTBCUSTOMDRAW& draw);
