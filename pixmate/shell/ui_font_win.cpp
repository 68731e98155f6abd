#include "pixmate/shell/ui_font_win.h"

#include <windows.h>

#include <algorithm>

namespace pixmate::win {

namespace {

constexpr int kFontHeight = -12;  // 9 points at 96 dots per inch

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    auto& list = *reinterpret_cast<std::vector<std::wstring>*>(faces);
    std::wstring face = font->lfFaceName;
    // Faces starting with '@' are the same fonts turned for vertical writing.
    if (!face.empty() && face[0] != L'@' &&
        std::find(list.begin(), list.end(), face) == list.end()) {
        list.push_back(std::move(face));
    }
    return 1;
}

}  // namespace

std::wstring ChooseUiFontFace(const std::vector<std::wstring>& installed) {
    static const wchar_t* const kPreferred[] = {
        L"Microsoft YaHei UI", L"Microsoft YaHei",    L"微软雅黑", L"WenQuanYi Micro Hei",
        L"Noto Sans CJK SC",   L"Source Han Sans SC", L"SimSun",   L"宋体",
    };
    for (const wchar_t* face : kPreferred) {
        if (std::find(installed.begin(), installed.end(), face) != installed.end()) return face;
    }
    return installed.empty() ? std::wstring() : installed.front();
}

std::wstring ChooseUiFontFace() {
    std::vector<std::wstring> faces;
    const WindowDc screen(nullptr);
    LOGFONTW query{};
    query.lfCharSet = GB2312_CHARSET;
    EnumFontFamiliesExW(screen.Get(), &query, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
    return ChooseUiFontFace(faces);
}

UniqueFont CreateUiFont() {
    const std::wstring face = ChooseUiFontFace();
    if (face.empty()) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    LOGFONTW font{};
    font.lfHeight = kFontHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace pixmate::win
