#pragma once
// The font of every control. Captions are Chinese, and the stock GUI font of a Windows in
// another display language, or of Wine, may have no Chinese glyphs (captions then show as
// boxes), so the program picks a face that covers the GB2312 character set itself.

#include <string>
#include <vector>

#include "pixmate/shell/gdi_win.h"

namespace pixmate::win {

// The preferred installed face: Microsoft YaHei UI where it exists, else another known Chinese
// UI face, else the first installed face that covers GB2312. Empty when there is none.
std::wstring ChooseUiFontFace();
// Picks among the faces offered (the rule above), for tests.
std::wstring ChooseUiFontFace(const std::vector<std::wstring>& installed);
// 9 points at 96 dots per inch in the chosen face; the stock GUI font when no face covers
// Chinese.
UniqueFont CreateUiFont();

}  // namespace pixmate::win
