// FunctionFrom<Function>(module, name): a function looked up at run time rather than imported:
// one newer than the oldest Windows the program runs on, or one of a library loaded only when it
// is wanted. Null when the module or the function is not there.
#pragma once

#include <windows.h>

template <typename Function>
Function FunctionFrom(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through void*: GetProcAddress's FARPROC stands for a function of any type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A function of oleacc, which is loaded when a screen reader first asks for an object: a start
// without a reader pays nothing for it (under Wine it costs over a megabyte).
template <typename Function>
Function OleaccFunction(const char* name) {
    static const HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    return FunctionFrom<Function>(oleacc, name);
}
