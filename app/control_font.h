// The font of the program's native controls (search box, status bar, loading label): the system
// message font's size and weight in the face the widgets draw with, so the whole program looks
// alike and Chinese shows wherever the widgets' text does.
#pragma once

#include <windows.h>

#include "widgets/display_scale.h"
#include "win/handles.h"

// For a window at `scale`: pixelHeight (96-dpi pixels, scaled) or, when 0, the message font's own
// height at that DPI. Before the widgets' face is known (GDI+ not started) the message font's
// face is kept. Null only when GDI cannot make a font.
UniqueFontGdi CreateControlFont(int pixelHeight = 0,
                                const DisplayScale& scale = DisplayScale::ForSystem());
