// Debug lines and the clock that times them. Lines go to the platform's debugger output unless a
// sink is installed; the clock is replaceable so the timing lines can be checked exactly.
#pragma once

#include <cstdint>

namespace verdel {

// The library's debug lines, as printf formats. The host reads them as ANSI text in code page 936,
// so the Chinese ones are stored as their GBK bytes (the text is in the comment beside each);
// string pieces are split where a hex escape would otherwise swallow the next letter.

// 加载json用时毫秒--%d  (milliseconds spent parsing)
inline constexpr char kMsgLoadTime[] =
    "\xBC\xD3\xD4\xD8"
    "json\xD3\xC3\xCA\xB1\xBA\xC1\xC3\xEB--%d";
// 加载json失败，GetParseError=%d  (RapidJSON's parse error code)
inline constexpr char kMsgLoadFailed[] =
    "\xBC\xD3\xD4\xD8"
    "json\xCA\xA7\xB0\xDC\xA3\xAC"
    "GetParseError=%d";
// The returned text of JsonGetValue.
inline constexpr char kMsgJsonValue[] = "JsonValue=%s";
// Bounds text, left, top, right, bottom, width and height of a tree node.
inline constexpr char kMsgNodeBounds[] = "Node[%s]=%d,%d-%d,%d,width=%x,height=%x";
// 左键单击项[%x]-%s  (node handle, node text)
inline constexpr char kMsgLeftClick[] = "\xD7\xF3\xBC\xFC\xB5\xA5\xBB\xF7\xCF\xEE[%x]-%s";
// 右键单击项[%x]-%s  (node handle, node text)
inline constexpr char kMsgRightClick[] = "\xD3\xD2\xBC\xFC\xB5\xA5\xBB\xF7\xCF\xEE[%x]-%s";
// 显示json用时毫秒--%d  (milliseconds from the start of a tree load to the end of the display)
inline constexpr char kMsgTreeShowTime[] =
    "\xCF\xD4\xCA\xBE"
    "json\xD3\xC3\xCA\xB1\xBA\xC1\xC3\xEB--%d";
inline constexpr char kMsgClickNodeRect[] = "ClickNodeRect(%d,%d)";
inline constexpr char kMsgFoundNode[] = "find jsonNode[%x](%d,%d - %d,%d)";
inline constexpr char kMsgCancelItem[] = "cancelItem=%x";
inline constexpr char kMsgSelectNode[] = "TreeCtrlSelectNode=%x";
inline constexpr char kMsgSetNodeMark[] = "TreeCtrlSetNodeMark=%x";
inline constexpr char kMsgMarkState[] = "state=%d,isMark=%s";
// Handles A and B of JsonNodeGetRelation.
inline constexpr char kMsgRelation[] = "GetNodeRelation[%x]->[%x]";

// Longest line kept; the rest of a longer one is cut off.
inline constexpr int kDebugLineMax = 4094;

#if defined(__GNUC__)
#define VERDEL_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define VERDEL_PRINTF_FORMAT
#endif

// Formats with printf rules and writes the line as it is: no line end is added.
void DebugPrint(const char* format, ...) VERDEL_PRINTF_FORMAT;

// Where debug lines go. Null restores the platform's output. Returns the sink it replaces. The
// sink is shared by all threads and may be called on any of them.
using DebugSink = void (*)(const char* line);
DebugSink SetDebugSink(DebugSink sink);

// A handle as the debug lines print it with %x: the low 32 bits of its address.
unsigned HandleBits(const void* handle);

// Milliseconds from the clock in use (the platform's uptime counter unless replaced).
std::uint32_t TickCount();

// Replaces the clock; null restores the platform's. Returns the clock it replaces.
using TickSource = std::uint32_t (*)();
TickSource SetTickSource(TickSource source);

}  // namespace verdel
