// Drawing on a form's surfaces for widgets: erasing from the background buffer and putting the
// screen buffer on the window. Each helper does nothing while the form has no buffers.
#pragma once

#include <windows.h>

#include "widgets/widget_tables.h"

// Copies `rect` of the background buffer into the screen buffer (erases a widget's old image).
void RestoreBackground(const FormRecord& form, const RECT& rect);
// Puts `rect` of the screen buffer on the window, blended with a constant alpha.
void PresentRect(const FormRecord& form, const RECT& rect, int alpha = 255);
// Erases `rect` in the screen buffer and on the window at once (a widget leaving a place).
void EraseRect(const FormRecord& form, const RECT& rect);
