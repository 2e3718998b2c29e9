// PopupMenu1, the menu of the symbol area and the settings panel: rotation, reverse, the size
// report and help. Its shortcuts act anywhere in the window, whether or not the menu was ever open.
#include "app/frame.h"
#include "app/programdir.h"
#include "app/symbolview.h"
#include "app/uitext.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QScrollArea>
#include <QUrl>

namespace zarvo::app {

void TFrameForm::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence shortcut) {
        QAction* action = menu->addAction(U(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        // the window carries the shortcut, so that it acts before the menu was ever opened
        addAction(action);
        return action;
    };
    QMenu* rotation = PopupMenu1->addMenu(U("回転"));
    rotation->setObjectName(QStringLiteral("N1Menu"));
    N1 = rotation->menuAction();
    N1->setObjectName(QStringLiteral("N1"));
    N01 = item(rotation, "N01", "0°", QKeySequence(Qt::CTRL | Qt::Key_F1));
    N901 = item(rotation, "N901", "90°", QKeySequence(Qt::CTRL | Qt::Key_F2));
    N1801 = item(rotation, "N1801", "180°", QKeySequence(Qt::CTRL | Qt::Key_F3));
    N2701 = item(rotation, "N2701", "270°", QKeySequence(Qt::CTRL | Qt::Key_F4));
    N3 = PopupMenu1->addSeparator();
    N3->setObjectName(QStringLiteral("N3"));
    N4 = item(PopupMenu1, "N4", "反転", QKeySequence(Qt::CTRL | Qt::Key_F5));
    N5 = item(PopupMenu1, "N5", "シンボルのサイズ情報", QKeySequence(Qt::CTRL | Qt::Key_I));
    N2 = PopupMenu1->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    Help1 = item(PopupMenu1, "Help1", "ﾍﾙﾌﾟ", QKeySequence(Qt::Key_F1));
    for (QAction* a : {N01, N901, N1801, N2701, N4})
        a->setCheckable(true);

    connect(PopupMenu1, &QMenu::aboutToShow, this, &TFrameForm::PopupMenu1Popup);
    const std::pair<QAction*, int32_t> angles[] = {{N01, 0}, {N901, 90}, {N1801, 180}, {N2701, 270}};
    for (const auto& [action, angle] : angles)
        connect(action, &QAction::triggered, this, [this, angle = angle] { RotationClick(angle); });
    connect(N4, &QAction::triggered, this, &TFrameForm::N4Click);
    connect(N5, &QAction::triggered, this, &TFrameForm::N5Click);
    connect(Help1, &QAction::triggered, this, &TFrameForm::Help1Click);

    // the symbol area (through everything the symbol lies on) and the settings panel; the edit
    // boxes keep their own menus
    for (QWidget* w : {static_cast<QWidget*>(ScrollBox1), ScrollBox1->viewport(), ScrollBox1->widget(),
                       static_cast<QWidget*>(QRCode1View), Panel2}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { PopupMenu1->popup(w->mapToGlobal(at)); });
    }
}

void TFrameForm::PopupMenu1Popup() {
    // only a bitmap is turned; the rotation shortcuts follow the menu
    const component::TQRCode& qr = *qr_;
    const bool bitmap = qr.SymbolPicture() == component::picBMP;
    for (QAction* a : {N1, N01, N901, N1801, N2701})
        a->setEnabled(bitmap);
    const int32_t angle = bitmap ? qr.Angle() : 0;
    N01->setChecked(angle != 90 && angle != 180 && angle != 270);
    N901->setChecked(angle == 90);
    N1801->setChecked(angle == 180);
    N2701->setChecked(angle == 270);
    N4->setChecked(bitmap && qr.Reverse());
}

void TFrameForm::RotationClick(int32_t angle) {
    qr_->SetAngle(angle);
    ShowStatus();
}

void TFrameForm::N4Click() {
    qr_->SetReverse(!qr_->Reverse());
    ShowStatus();
}

void TFrameForm::Help1Click() {
    // as the desktop opens a document; a missing guide, or no program for it, says nothing
    const QString file = HelpFilePath(QFileInfo(QFile::decodeName(env_.ExeName.c_str())).absolutePath());
    if (!file.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace zarvo::app
