#include "app/control_font.h"

#include <cwchar>

#include "widgets/drawing.h"

UniqueFontGdi CreateControlFont(int pixelHeight, const DisplayScale& scale) {
    NONCLIENTMETRICSW metrics{};
    LOGFONTW font{};
    if (NonClientMetricsForScale(metrics, scale)) {
        font = metrics.lfMessageFont;
    } else {
        font.lfHeight = -scale.Px(12);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
    }
    if (pixelHeight) font.lfHeight = -scale.Px(pixelHeight);
    const std::wstring& face = DefaultFontFace();
    if (!face.empty() && face.size() < LF_FACESIZE) {
        wmemset(font.lfFaceName, L'\0', LF_FACESIZE);
        face.copy(font.lfFaceName, face.size());
    }
    return UniqueFontGdi(CreateFontIndirectW(&font));
}
