// TSymbolSizeForm: how large one symbol is on screen and on paper, with the paper size, both
// resolutions and the printer's scale factor. Modal; its popup menu prints the report or copies
// it as text.
#pragma once

#include <QDialog>
#include <QString>

class QAction;
class QLabel;
class QMenu;

namespace zarvo::printing {

class PrintHost;

class TSymbolSizeForm : public QDialog {
    Q_OBJECT

  public:
    explicit TSymbolSizeForm(PrintHost& host);

    // Builds the report from the component, the print magnification, this window's screen and
    // the printer; shows it and sizes the window to it. Runs when the window is first shown.
    void FormShow();

    // The report with its title line, CR LF after each line: what is printed and copied.
    QString ReportText;

    QLabel* Label1;
    QMenu* PopupMenu1;
    QAction *Print1, *Copy1, *N1, *Close1;

  protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Print1Click();
    void Copy1Click();

    PrintHost& host_;
    bool shown_ = false;
};

} // namespace zarvo::printing
