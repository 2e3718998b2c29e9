#include "app/application.h"

#include "app/uitext.h"
#include "shared/cp932.h"

#include <QLibraryInfo>
#include <QStringDecoder>
#include <QTranslator>
#include <QWidget>
#include <cstdio>
#include <new>

namespace zarvo::app {

namespace {

QString WhatText(const char* what) {
    const QByteArray bytes(what);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return shared::Cp932ToQString(bytes.toStdString());
}

ErrorReporter* ReporterOf(QObject* receiver) {
    // the receiver's window, or one of the windows it was opened from
    for (QObject* o = receiver; o; o = o->parent()) {
        if (auto* widget = qobject_cast<QWidget*>(o)) {
            for (QWidget* w = widget->window(); w;
                 w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
                if (auto* reporter = dynamic_cast<ErrorReporter*>(w))
                    return reporter;
            break;
        }
    }
    if (auto* reporter = dynamic_cast<ErrorReporter*>(QApplication::activeWindow()))
        return reporter;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* reporter = dynamic_cast<ErrorReporter*>(w))
            return reporter;
    return nullptr;
}

bool reporting = false;

} // namespace

QString ErrorText(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return U("メモリが足りないため、操作を続けられませんでした。");
    return WhatText(error.what());
}

QString ErrorText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return ErrorText(e);
    } catch (...) {
        return U("原因の分からないエラーが起きました。");
    }
}

void ReportUncaught(QObject* receiver, const std::exception_ptr& error) {
    try {
        const QString text = ErrorText(error);
        ErrorReporter* reporter = reporting ? nullptr : ReporterOf(receiver);
        if (!reporter) {
            std::fprintf(stderr, "zarvo: %s\n", text.toLocal8Bit().constData());
            return;
        }
        reporting = true;
        try {
            reporter->ReportError(text);
        } catch (...) {
            std::fprintf(stderr, "zarvo: %s\n", text.toLocal8Bit().constData());
        }
        reporting = false;
    } catch (...) {
        reporting = false;
        std::fputs("zarvo: an error could not be reported\n", stderr);
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportUncaught(receiver, std::current_exception());
        return false;
    }
}

QTranslator* InstallQtTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace zarvo::app
