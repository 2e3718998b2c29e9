#include "datalist/datagridview.h"

#include "datalist/celltext.h"
#include "shared/cp932.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace zarvo::datalist {

namespace {

// A plain line editor whose every change goes to the model at once.
class CellDelegate : public QStyledItemDelegate {
  public:
    explicit CellDelegate(DataGridView* view) : QStyledItemDelegate(view), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setProperty("cell", QVariant::fromValue(QPersistentModelIndex(index)));
        const int column = index.column() + 1;
        auto* self = const_cast<CellDelegate*>(this);
        connect(editor, &QLineEdit::textEdited, this, [self, editor, column](const QString& text) {
            try {
                (void)CellBytes(text, column);
            } catch (const shared::TextError& e) {
                // back to what the cell holds; the keystroke is refused, and said so
                const int cursor = editor->cursorPosition();
                editor->setText(editor->property("accepted").toString());
                editor->setCursorPosition(std::max(0, cursor - 1));
                Q_EMIT self->view_->TextRefused(QString::fromUtf8(e.what()));
                return;
            }
            editor->setProperty("accepted", text);
            Q_EMIT self->commitData(editor);
        });
        return editor;
    }

    // The view writes the cell back into its open editor after every keystroke stored; the same
    // text again must not move the cursor to the end.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text)
            line->setText(text);
        line->setProperty("accepted", text);
        if (!line->property("original").isValid())
            line->setProperty("original", text);
    }

    // Return in an editor: the editor closes at once, then the window handles the key as it does
    // when the grid itself has the focus (the delegate's own way would close it later, after the
    // window may have moved the cursor and closed it already).
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, NoHint);
                view_->EnterKey();
                return true;
            }
            // Escape takes back what this editor stored, keystroke by keystroke (a row that typing
            // appended stays, as it does when its text is cleared)
            if (key == Qt::Key_Escape) {
                const auto cell = editor->property("cell").value<QPersistentModelIndex>();
                if (cell.isValid())
                    view_->model()->setData(cell, editor->property("original"));
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    DataGridView* view_;
};

} // namespace

DataGridView::DataGridView(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    setSelectionMode(ContiguousSelection);
    setSelectionBehavior(SelectItems);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setSectionsMovable(true);
    rows->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(rows, &QHeaderView::sectionMoved, this, &DataGridView::SectionMoved);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
}

void DataGridView::SetAlwaysShowEditor(bool on) {
    alwaysShowEditor_ = on;
    setEditTriggers(on ? editTriggers() | CurrentChanged : editTriggers() & ~CurrentChanged);
    KeepEditorShown();
}

void DataGridView::KeepEditorShown() {
    if (alwaysShowEditor_ && state() != EditingState && currentIndex().isValid() &&
        currentIndex().flags().testFlag(Qt::ItemIsEditable))
        edit(currentIndex());
}

void DataGridView::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QTableView::keyPressEvent(event);
        return;
    }
    // the key goes no further, so no default button of the window sees it
    event->accept();
    EnterKey();
}

void DataGridView::EnterKey() {
    Q_EMIT EnterPressed();
    KeepEditorShown();
}

void DataGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        scrollTo(current);
}

void DataGridView::SectionMoved(int, int oldVisual, int newVisual) {
    {
        const QSignalBlocker blocker(verticalHeader());
        verticalHeader()->moveSection(newVisual, oldVisual);
    }
    viewport()->update();
    Q_EMIT RowDragged(oldVisual + 1, newVisual + 1);
}

} // namespace zarvo::datalist
