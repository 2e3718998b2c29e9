// The boundary between a cell's CP932 bytes and the text the grid shows and its editor edits.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace zarvo::datalist {

// The text of a cell as the grid shows it: the bytes decoded (what does not decode as U+FFFD),
// each line break (CR LF, CR or LF) as "↵" so that a symbol string of several lines stays one line.
QString CellText(const std::string& bytes);

// The bytes of a text the user typed into a cell of column (1..3). In a symbol string each "↵"
// is a line break again (CR LF); a comment is one line in its file, so a line break there becomes
// a space. Throws shared::TextError for a character that CP932 cannot hold.
std::string CellBytes(const QString& text, int32_t column);

} // namespace zarvo::datalist
