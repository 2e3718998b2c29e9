// A symbol string (CP932 bytes whose line breaks are CR LF) as the window shows it, and a typed
// text as a symbol string.
#pragma once

#include <QString>
#include <string>

namespace zarvo::app {

// The mark a line break shows as in a one-line box. Shift-JIS cannot hold it, so a typed one is
// always a shown line break.
inline constexpr char16_t kBreakMark = 0x21B5;

// The text on one line: each line break (CR LF, CR or LF) as the mark.
QString OneLine(QString text);
// The text of a one-line box with its marks as line breaks again (LF), as the editor shows it.
QString Lines(QString text);
// The symbol string as the editor shows it: its bytes decoded, CR LF as one line break.
QString EditorText(const std::string& code);
// The symbol string of a typed text (a box's or the editor's): every mark and every line break
// (CR LF, or a lone CR or LF) becomes CR LF, so that items and files match those written before.
// Throws shared::TextError naming the first character Shift-JIS cannot hold.
std::string TypedCode(QString text);

} // namespace zarvo::app
