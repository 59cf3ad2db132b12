// The accessible objects of a skinned form (Microsoft Active Accessibility), so that screen
// readers and automation see the windowless widgets a sighted user sees.
//
// The form window answers WM_GETOBJECT: OBJID_CLIENT gets the form's object, whose children are
// the visible widgets and native child windows in reading order (the native ones are the
// system's own objects); a widget's id, the object id its events carry (NotifyReaders), gets
// that widget's object, whose children are its items (a list's rows, simple elements).
//
// Lifetime: an object holds the window handle and the widget's id, never a pointer it would
// follow: each call looks the form and the widget up again, and one that is gone answers
// CO_E_OBJNOTCONNECTED, however long a reader keeps the object. Window thread only (the objects
// live in its apartment; other processes reach them through COM's marshalling).
#pragma once

#include <windows.h>

#include <vector>

// The form's entry points (WM_GETOBJECT and MsgAccessibleAction) are declared with the form in
// widgets/skin_form.h and defined here.

// The order in which a reader walks rectangles laid out on a form: split into bands where a gap
// runs across everything, top to bottom, else into columns, left to right (neighbouring columns
// whose rows line up read row by row, as a grid), each part again the same way; what overlaps
// every way reads top to bottom, then left to right. Returns the rectangles' positions.
std::vector<size_t> ReadingOrder(const std::vector<RECT>& rects);
