// Points a Wine prefix's menu, caption, message and status fonts at a real CJK face.
//
// A fresh prefix reports "MS Shell Dlg" as the menu font, which GDI+ cannot create, so every
// widget text would vanish. Run once after the prefix is created; the face is the argument
// (default "WenQuanYi Micro Hei").
#include <windows.h>

#include <cwchar>
#include <initializer_list>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* face = argc > 1 ? argv[1] : L"WenQuanYi Micro Hei";
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return 1;
    for (LOGFONTW* font : {&metrics.lfMenuFont, &metrics.lfCaptionFont, &metrics.lfSmCaptionFont,
                           &metrics.lfMessageFont, &metrics.lfStatusFont}) {
        wcsncpy(font->lfFaceName, face, LF_FACESIZE - 1);
        font->lfFaceName[LF_FACESIZE - 1] = L'\0';
        font->lfCharSet = DEFAULT_CHARSET;
    }
    if (!SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, metrics.cbSize, &metrics,
                               SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
        return 2;
    }
    return 0;
}
