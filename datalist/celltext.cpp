#include "datalist/celltext.h"

#include "datalist/datagrid.h"
#include "shared/cp932.h"

namespace zarvo::datalist {

QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QString(QChar(kLineBreakMark)));
    text.replace(QLatin1Char('\r'), QChar(kLineBreakMark));
    text.replace(QLatin1Char('\n'), QChar(kLineBreakMark));
    return text;
}

QString Lines(QString text) {
    return text.replace(QChar(kLineBreakMark), QLatin1Char('\n'));
}

QString CellText(const std::string& bytes) {
    return OneLine(shared::Cp932ToQString(bytes));
}

QString EditorText(const std::string& code) {
    return shared::Cp932ToQString(code).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string TypedCode(const QString& text) {
    return shared::QStringToCp932(OneLine(text).replace(QChar(kLineBreakMark), QStringLiteral("\r\n")));
}

std::string TypedComment(const QString& text) {
    return shared::QStringToCp932(OneLine(text).replace(QChar(kLineBreakMark), QLatin1Char(' ')));
}

std::string CellBytes(const QString& text, int32_t column) {
    return column == kColCode ? TypedCode(text) : TypedComment(text);
}

} // namespace zarvo::datalist
