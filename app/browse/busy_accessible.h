// What a screen reader meets in a window that stands for work under way (the loading window):
// the system's own object for the window's client area, with the busy state added and, for a
// window without a title, the name its first child shows. The object holds the window's handle
// and the system's object only, so a reader keeping it past the window meets the system's own
// answers for a window that is gone.
#pragma once

#include <windows.h>

// WM_GETOBJECT: for OBJID_CLIENT the busy object's LresultFromObject value; 0 for any other
// object (or when the system's object cannot be made), for DefWindowProc to answer.
LRESULT AnswerBusyGetObject(HWND window, WPARAM flags, LPARAM objectId);
