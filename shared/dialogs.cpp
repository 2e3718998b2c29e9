#include "shared/dialogs.h"

#include "shared/fontdialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <vector>

namespace zarvo::shared {

namespace {

QString Caption() {
    return QStringLiteral("Zarvo");
}

struct NameFilter {
    QString Caption;
    QString Qt;        // as QFileDialog takes it: the caption, then the patterns in brackets
    QString Extension; // of the entry's only pattern "*.ext"; empty when it has another form
};

// "caption|patterns|…" as QFileDialog's filters. The caption is shown as written (the details Qt
// would add are hidden); "*.*" becomes "*", since on this system it would hide every file whose
// name has no dot.
std::vector<NameFilter> NameFilters(const QString& filter) {
    std::vector<NameFilter> filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p.trimmed() == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        NameFilter f;
        f.Caption = parts[i];
        f.Qt = parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        if (patterns.size() == 1 && patterns[0].startsWith(QStringLiteral("*.")) &&
            !patterns[0].mid(2).contains(QLatin1Char('*')))
            f.Extension = patterns[0].mid(2);
        filters.push_back(f);
    }
    return filters;
}

std::optional<FileDialogChoice> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                              QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.OverwritePrompt);
    const std::vector<NameFilter> filters = NameFilters(request.Filter);
    QStringList names;
    for (const NameFilter& f : filters)
        names << f.Qt;
    dialog.setNameFilters(names);
    // the entry chosen; Qt names it by its caption alone while the details are hidden
    const auto chosenEntry = [&] {
        const QString selected = dialog.selectedNameFilter();
        for (size_t i = 0; i < filters.size(); ++i)
            if (selected == filters[i].Qt || selected == filters[i].Caption)
                return static_cast<int>(i);
        return -1;
    };
    if (request.FilterIndex >= 1 && request.FilterIndex <= names.size())
        dialog.selectNameFilter(names[request.FilterIndex - 1]);
    if (!request.Directory.isEmpty())
        dialog.setDirectory(request.Directory);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);

    // A name typed without an extension gets the one of the entry chosen, as the desktop's own
    // dialogs do: "Zarvo" saved as an enhanced metafile becomes "Zarvo.emf", not "Zarvo.bmp".
    const auto followFilter = [&] {
        if (request.DefaultExtension.isEmpty())
            return;
        const int entry = chosenEntry();
        const bool own = entry >= 0 && !filters[static_cast<size_t>(entry)].Extension.isEmpty();
        dialog.setDefaultSuffix(own ? filters[static_cast<size_t>(entry)].Extension
                                    : request.DefaultExtension);
    };
    followFilter();
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FileDialogChoice{dialog.selectedFiles().first(), std::max(chosenEntry(), 0) + 1};
}

} // namespace

void QtDialogs::Inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, Caption(), text);
}

void QtDialogs::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, Caption(), text);
}

bool QtDialogs::Ask(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, Caption(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<component::TColor> QtDialogs::ChooseColor(QWidget* parent, component::TColor initial) {
    const QColor chosen = QColorDialog::getColor(QColor(component::ResolveColor(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    // red in the low byte, as the colour values are stored
    return static_cast<component::TColor>(static_cast<uint32_t>(chosen.red()) |
                                          static_cast<uint32_t>(chosen.green()) << 8 |
                                          static_cast<uint32_t>(chosen.blue()) << 16);
}

std::optional<component::TFont> QtDialogs::ChooseFont(QWidget* parent, const component::TFont& initial) {
    TFontDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Font();
}

std::optional<QString> QtDialogs::InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                             const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

bool Dialogs::SetUpPrinter(QWidget*, QPrinter&) {
    return false;
}

bool Dialogs::ChoosePrinter(QWidget*, QPrinter&) {
    return false;
}

bool QtDialogs::SetUpPrinter(QWidget* parent, QPrinter& printer) {
    // Qt's print dialog is where a printer is chosen (its page setup only sets the paper); here it
    // only sets up and chooses, it does not print.
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QString::fromUtf8("印刷設定"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<FileDialogChoice> QtDialogs::OpenFile(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<FileDialogChoice> QtDialogs::SaveFile(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

} // namespace zarvo::shared
