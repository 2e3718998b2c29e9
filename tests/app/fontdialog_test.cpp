// The comment font's dialog as the user answers it: the colour list, a face kept as stored, and
// Qt's own texts in Japanese.
#include "app/application.h"
#include "shared/fontdialog.h"
#include "component/picture/color.h"
#include "shared/cp932.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

namespace zarvo::app {
namespace {

using component::TFont;
using shared::TFontDialog;

TFont Font(const char* utf8Name, int size, bool bold, component::TColor color) {
    TFont font;
    font.Name = shared::Utf8ToCp932(utf8Name);
    font.Size = size;
    font.Bold = bold;
    font.Color = color;
    font.Charset = 128;
    return font;
}

// Shows the dialog, lets the user's keys act on it (sent to its window), and returns what it
// hands back when Return confirms it.
TFont Answer(const TFont& initial, const std::function<void(TFontDialog&)>& keys = {}) {
    TFontDialog dialog(initial);
    dialog.show();
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    if (keys)
        keys(dialog);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    return dialog.Font();
}

void ExpectSame(const TFont& a, const TFont& b, const char* what) {
    EXPECT_EQ(a.Name, b.Name) << what;
    EXPECT_EQ(a.Size, b.Size) << what;
    EXPECT_EQ(a.Bold, b.Bold) << what;
    EXPECT_EQ(a.Italic, b.Italic) << what;
    EXPECT_EQ(a.Color, b.Color) << what;
    EXPECT_EQ(a.Charset, b.Charset) << what;
}

TEST(FontDialog, ConfirmedWithoutAChangeItHandsBackTheStoredFont) {
    const struct {
        const char* what;
        TFont font;
    } cases[] = {
        // drawn with IPAPGothic, which must not replace the stored name
        {"substituted face, system colour", Font("ＭＳ Ｐゴシック", 9, false, component::clWindowText)},
        {"substituted face, a standard colour", Font("ＭＳ ゴシック", 12, true, 0x800000)},
        {"installed face, a colour of its own", Font("IPAPGothic", 10, false, 0x123456)},
    };
    for (const auto& c : cases)
        ExpectSame(Answer(c.font), c.font, c.what);
}

TEST(FontDialog, TheColourAndTheFaceAreChosenByKeyboard) {
    const TFont initial = Font("ＭＳ Ｐゴシック", 9, false, component::clWindowText);
    const TFont chosen = Answer(initial, [](TFontDialog& dialog) {
        QWindow* window = dialog.windowHandle();
        QComboBox* colors = dialog.ColorBox();
        EXPECT_EQ(colors->currentText(), QString::fromUtf8("現在の色")); // the system colour as it is
        colors->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(window, Qt::Key_F4);
        EXPECT_TRUE(QTest::qWaitFor([colors] { return colors->view()->isVisible(); }));
        for (int i = 0; i < 10; ++i) // past the current colour and the first nine: red
            QTest::keyClick(window, Qt::Key_Down);
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_EQ(colors->currentText(), QString::fromUtf8("赤"));
    });
    EXPECT_EQ(chosen.Color, 0x0000FF);
    EXPECT_EQ(chosen.Name, initial.Name);

    // another face is stored by its own name; a standard colour is preset in the list
    const TFont other = Answer(Font("IPAPGothic", 9, false, 0x008000), [](TFontDialog& dialog) {
        EXPECT_EQ(dialog.ColorBox()->currentText(), QString::fromUtf8("緑"));
        // the family field has the focus: Up picks the face above
        QTest::keyClick(dialog.windowHandle(), Qt::Key_Up);
    });
    EXPECT_EQ(other.Name, "IPAGothic");
    EXPECT_EQ(other.Color, 0x008000);
}

TEST(QtTranslation, QtsOwnDialogsSpeakJapanese) {
    QTranslator* translator = InstallQtTranslation(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qtbase_ja.qm (qt6-translations-l10n) is not installed";
    {
        TFontDialog dialog(Font("ＭＳ Ｐゴシック", 9, false, component::clWindowText));
        EXPECT_NE(dialog.windowTitle(), QStringLiteral("Select Font"));
        QDialogButtonBox* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
    }
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

} // namespace
} // namespace zarvo::app
