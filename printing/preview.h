// TPreviewForm: the modal window every print passes through. On opening it measures printer and
// screen into the main window's fields, sizes itself to show two pages side by side, and draws
// them as the print will place the pictures: the shown picture repeated (normal mode) or every
// item flowed (list mode, while the main window's ListPrintMode is set). Its "印刷" button ends it
// with Accepted, which tells the caller to print; "閉じる" and the frame's close button with
// Rejected.
#pragma once

#include "datalist/datalistmodel.h"
#include "printing/previewpages.h"

#include <QDialog>
#include <QImage>
#include <cstdint>
#include <optional>

class QLabel;
class QPushButton;

namespace zarvo::printing {

class PrintHost;

// An image control: shows its picture at its top-left, one pixel per pixel.
class TImage : public QWidget {
    Q_OBJECT

  public:
    explicit TImage(QWidget* parent = nullptr) : QWidget(parent) {}
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

class TPreviewForm : public QDialog {
    Q_OBJECT

  public:
    // Owned by the host's window, as a modal dialog.
    explicit TPreviewForm(PrintHost& host);
    ~TPreviewForm() override;

    // Measures the devices, sets the caption, the counts and the sizes, and draws pages 1 and 2.
    // Runs when the window is first shown and again after "等倍".
    void FormShow();

    int32_t PageCount = 0;   // list mode: 10000 until the drawing reached the last item
    int32_t CurrentPage = 0; // the left page shown, from 1
    int32_t SymbolsPerPage = 0;
    int32_t PreviewScale = 1;
    // The page image (pageWidth × scale ÷ 100 by pageHeight × scale ÷ 100).
    QImage PageBitmap() const;

    // The controls, named as documented (objectName too).
    QWidget* Panel1;
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7;
    QLabel *Label1, *Label2;
    TImage* Image1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Button1Click();
    void Button3Click() { Draw(CurrentPage - 1); }
    void Button4Click() { Draw(CurrentPage + 1); }
    void Button5Click();
    void Button6Click();
    void Button7Click();
    // Draws pages p and p + 1 in the current mode; nothing unless 1 <= p <= PageCount.
    void Draw(int64_t p);
    void Measure();
    bool ListMode() const;
    // Runs a command; an error is reported in a message box.
    template <typename F> void Guarded(F&& command);

    PrintHost& host_;
    std::optional<PreviewPages> pages_;
    bool shown_ = false;
};

} // namespace zarvo::printing
