#include "app/codetext.h"

#include "shared/cp932.h"

namespace zarvo::app {

QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QString(QChar(kBreakMark)));
    text.replace(QLatin1Char('\r'), QChar(kBreakMark));
    text.replace(QLatin1Char('\n'), QChar(kBreakMark));
    return text;
}

QString Lines(QString text) {
    return text.replace(QChar(kBreakMark), QLatin1Char('\n'));
}

QString EditorText(const std::string& code) {
    return shared::Cp932ToQString(code).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string TypedCode(QString text) {
    text = OneLine(std::move(text));
    text.replace(QChar(kBreakMark), QStringLiteral("\r\n"));
    return shared::QStringToCp932(text);
}

} // namespace zarvo::app
