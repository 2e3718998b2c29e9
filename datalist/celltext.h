// The boundary between an item's CP932 bytes and the text the windows show and the user edits:
// the data list window's cells, the main window's one-line boxes and its editor pane.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace zarvo::datalist {

// The mark a line break shows as on one line ("↵"). CP932 has no code for it, so a typed one is
// always a shown line break.
inline constexpr char16_t kLineBreakMark = 0x21B5;

// The text on one line: each line break (CR LF, CR or LF) as the mark.
QString OneLine(QString text);
// A one-line text with its marks as line breaks again (LF), as the editor pane shows it.
QString Lines(QString text);

// The text of an item's bytes as a cell or a one-line box shows it: decoded (what does not decode
// as U+FFFD), each line break as the mark, so that a symbol string of several lines stays one line.
QString CellText(const std::string& bytes);
// A symbol string as the editor pane shows it: decoded, CR LF as one line break.
QString EditorText(const std::string& code);

// The symbol string of a typed text (a cell's, a box's or the editor's): every mark and every line
// break (CR LF, or a lone CR or LF) becomes CR LF, so that items and files match those written
// before. Throws shared::TextError naming the first character CP932 cannot hold.
std::string TypedCode(const QString& text);
// A typed comment: one line in its file, so each line break or mark becomes a space. Throws
// shared::TextError as TypedCode does.
std::string TypedComment(const QString& text);
// The bytes of a text typed into a cell of column (1..3): TypedCode for the symbol string,
// TypedComment for a comment.
std::string CellBytes(const QString& text, int32_t column);

} // namespace zarvo::datalist
