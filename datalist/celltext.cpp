#include "datalist/celltext.h"

#include "datalist/datagrid.h"
#include "shared/cp932.h"

namespace zarvo::datalist {

namespace {

constexpr char16_t kLineBreakMark = u'\u21B5'; // ↵, which CP932 has no code for

} // namespace

QString CellText(const std::string& bytes) {
    QString text = shared::Cp932ToQString(bytes);
    text.replace(QStringLiteral("\r\n"), QString(QChar(kLineBreakMark)));
    text.replace(QLatin1Char('\r'), QChar(kLineBreakMark));
    text.replace(QLatin1Char('\n'), QChar(kLineBreakMark));
    return text;
}

std::string CellBytes(const QString& text, int32_t column) {
    QString typed = text;
    typed.replace(QStringLiteral("\r\n"), QString(QChar(kLineBreakMark)));
    typed.replace(QLatin1Char('\r'), QChar(kLineBreakMark));
    typed.replace(QLatin1Char('\n'), QChar(kLineBreakMark));
    typed.replace(QChar(kLineBreakMark), column == kColCode ? QStringLiteral("\r\n") : QStringLiteral(" "));
    return shared::QStringToCp932(typed);
}

} // namespace zarvo::datalist
