// TSortForm: the dialog that asks for the sort key and direction, for the main window's sort and
// the data list window's alike. It keeps nothing itself: it shows and sets the main window's
// SortKey and SortOrder.
#pragma once

#include <QDialog>
#include <cstdint>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace zarvo::datalist {

class TSortForm : public QDialog {
    Q_OBJECT

  public:
    // sortKey: 0 symbol strings, 1 upper, 2 lower comments (other: none yet); sortOrder: +1 or -1.
    // Both must outlive the dialog.
    TSortForm(int32_t& sortKey, int32_t& sortOrder, QWidget* parent = nullptr);

    // The radio groups take the fields' values; the first choice where a field holds none.
    void FormShow();
    // The fields take the radio groups' choices; the dialog closes with OK.
    void Button1Click();

    QGroupBox* RadioGroup1;
    QGroupBox* RadioGroup2;
    QPushButton* Button1;
    QPushButton* Button2;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QGroupBox* NewGroup(const char* name, const char* caption, std::initializer_list<const char*> items,
                        int y, int height, QButtonGroup*& group);

    int32_t& sortKey_;
    int32_t& sortOrder_;
    QButtonGroup* keys_ = nullptr;
    QButtonGroup* orders_ = nullptr;
};

} // namespace zarvo::datalist
