#include "ui/masked_field.h"

#include "ui/error_box.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace orrimar {

namespace {

// The field whose refused leave is being handled: while it takes the focus back and
// reports, other fields losing the focus are not checked, so two fields cannot send
// the focus to and fro.
MaskEdit* returningField = nullptr;

// The mask model works on ASCII; any other character becomes one it refuses.
std::string ToMaskChars(const QString& text)
{
    std::string chars;
    chars.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text)
        chars += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x01';
    return chars;
}

// A leave caused by another window or a popup (a message box, a menu, switching
// programs) is not a leave of the field: the focus comes back to it.
bool LeavesTheField(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

MaskEdit::MaskEdit(std::string_view editMask, QWidget* parent)
    : QLineEdit(parent), mask_(editMask)
{
    setAcceptDrops(false);
    setDragEnabled(false);
    ShowText(mask_.EmptyText());
    connect(this, &QLineEdit::textChanged, this, &MaskEdit::KeepNormalForm);
}

MaskEdit::~MaskEdit()
{
    if (returningField == this)
        returningField = nullptr;
}

QString MaskEdit::InvalidInputMessage()
{
    return QStringLiteral(
        "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig");
}

QString MaskEdit::Text() const
{
    return QString::fromStdString(mask_.FieldText(CurrentText()));
}

void MaskEdit::SetText(const QString& text)
{
    ShowText(mask_.Normalise(ToMaskChars(text)));
    modified_ = false;
}

std::string MaskEdit::CurrentText() const
{
    return ToMaskChars(text());
}

int MaskEdit::SelectionStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int MaskEdit::SelectionLength() const
{
    return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
}

void MaskEdit::ShowText(const std::string& text)
{
    settingText_ = true;
    QLineEdit::setText(QString::fromStdString(text));
    settingText_ = false;
}

void MaskEdit::KeepNormalForm()
{
    // Anything that reaches QLineEdit's text past the model (QLineEdit::setText from
    // outside, for one) is brought back to the mask's shape.
    if (settingText_)
        return;
    const std::string current = CurrentText();
    const std::string normal = mask_.Normalise(current);
    if (normal != current) {
        const int caret = cursorPosition();
        ShowText(normal);
        setCursorPosition(std::min(caret, mask_.Length()));
    }
}

void MaskEdit::Apply(const MaskEditResult& result)
{
    if (result.Changed) {
        ShowText(result.Text);
        modified_ = true;
    }
    setCursorPosition(result.Caret);
    if (result.Refused)
        Beep();
}

void MaskEdit::Beep()
{
    QApplication::beep();
    emit Beeped();
}

void MaskEdit::InsertText(const QString& typed)
{
    Apply(mask_.Paste(CurrentText(), SelectionStart(), SelectionLength(), ToMaskChars(typed)));
}

void MaskEdit::CutSelection()
{
    if (!hasSelectedText())
        return;
    copy();
    Apply(mask_.Delete(CurrentText(), SelectionStart(), SelectionLength()));
}

void MaskEdit::RestoreFocusText()
{
    ShowText(mask_.Normalise(ToMaskChars(focusText_)));
    modified_ = false;
    setCursorPosition(0);
}

bool MaskEdit::event(QEvent* event)
{
    // Claim Escape before any window shortcut while there is a change to undo.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && modified_) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void MaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        InsertText(QGuiApplication::clipboard()->text());
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        CutSelection();
        return;
    }
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        if (modified_)
            RestoreFocusText();
        else
            event->ignore();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int empty = modified_ ? mask_.FirstEmptyRequired(CurrentText()) : -1;
        if (empty >= 0) {
            Beep();
            setCursorPosition(empty);
            ReportInvalidInput(empty);
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    case Qt::Key_Backspace:
        Apply(mask_.Backspace(CurrentText(), SelectionStart(), SelectionLength()));
        return;
    case Qt::Key_Delete:
        Apply(mask_.Delete(CurrentText(), SelectionStart(), SelectionLength()));
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0;
    bool printable = !typed.isEmpty();
    for (const QChar c : typed)
        printable = printable && c.isPrint();
    if (printable && !command) {
        InsertText(typed);
        return;
    }
    // Every other key (undo, word deletion, ...) would edit past the mask: not ours.
    event->ignore();
}

void MaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        InsertText(event->commitString());
    event->accept();
}

void MaskEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection clipboard (X11), through the mask too.
    if (event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection() && rect().contains(event->position().toPoint()))
            InsertText(clipboard->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void MaskEdit::contextMenuEvent(QContextMenuEvent* event)
{
    // QLineEdit's own menu edits past the mask; this one goes through it.
    QMenu menu(this);
    const bool selected = hasSelectedText();
    QAction* cut = menu.addAction(QStringLiteral("Ausschneiden"));
    cut->setEnabled(selected);
    QAction* copyAction = menu.addAction(QStringLiteral("Kopieren"));
    copyAction->setEnabled(selected);
    QAction* paste = menu.addAction(QStringLiteral("Einfügen"));
    paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    QAction* remove = menu.addAction(QStringLiteral("Löschen"));
    remove->setEnabled(selected);
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("Alles markieren"));

    const QPointer<MaskEdit> self(this);
    QAction* chosen = menu.exec(event->globalPos());
    if (self.isNull() || chosen == nullptr)
        return;
    if (chosen == cut)
        CutSelection();
    else if (chosen == copyAction)
        copy();
    else if (chosen == paste)
        InsertText(QGuiApplication::clipboard()->text());
    else if (chosen == remove)
        Apply(mask_.Delete(CurrentText(), SelectionStart(), SelectionLength()));
    else if (chosen == all)
        selectAll();
}

void MaskEdit::focusInEvent(QFocusEvent* event)
{
    if (!entered_)
        focusText_ = text();
    entered_ = true;
    QLineEdit::focusInEvent(event);
}

void MaskEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!LeavesTheField(event->reason()))
        return;
    if (returningField != nullptr) {
        entered_ = false;  // left while another field takes the focus back
        return;
    }
    const int empty = FirstGap();
    if (empty < 0 || !isVisible()) {
        entered_ = false;
        return;
    }
    // Refused: take the focus back once the focus change under way has finished.
    Beep();
    returningField = this;
    QTimer::singleShot(0, this, [this, empty] { ReturnAfterFailedLeave(empty); });
}

void MaskEdit::ReturnAfterFailedLeave(int position)
{
    if (!isVisible() || !isEnabled() || !window()->isVisible()) {
        // The window is going away: nothing to return to, nothing to report.
        returningField = nullptr;
        entered_ = false;
        return;
    }
    // The program may have set a complete text meanwhile (a preset picked while the
    // field had a gap): then there is nothing to refuse any more.
    position = FirstGap();
    if (position < 0) {
        if (returningField == this)
            returningField = nullptr;
        entered_ = false;
        return;
    }
    setFocus(Qt::OtherFocusReason);
    setCursorPosition(position);
    const QPointer<MaskEdit> self(this);
    ReportInvalidInput(position);
    if (!self.isNull() && returningField == this)
        returningField = nullptr;
}

int MaskEdit::FirstGap() const
{
    return modified_ ? mask_.FirstEmptyRequired(CurrentText()) : -1;
}

bool MaskEdit::RefuseIncomplete()
{
    const int position = FirstGap();
    if (position < 0)
        return false;
    Beep();
    returningField = this;
    setFocus(Qt::OtherFocusReason);
    setCursorPosition(position);
    const QPointer<MaskEdit> self(this);
    ReportInvalidInput(position);
    if (!self.isNull() && returningField == this)
        returningField = nullptr;
    return true;
}

void MaskEdit::ReportInvalidInput(int position)
{
    const QPointer<MaskEdit> self(this);
    ShowErrorBox(InvalidInputMessage());
    // The box may have taken the focus and moved the caret; put it back.
    if (!self.isNull() && hasFocus())
        setCursorPosition(position);
}

}  // namespace orrimar
