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
MaskedField* returningField = nullptr;

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

MaskedField::MaskedField(std::string_view mask, QWidget* parent)
    : QLineEdit(parent), mask_(mask)
{
    setAcceptDrops(false);
    setDragEnabled(false);
    showText(mask_.EmptyText());
    connect(this, &QLineEdit::textChanged, this, &MaskedField::keepNormalForm);
}

MaskedField::~MaskedField()
{
    if (returningField == this)
        returningField = nullptr;
}

QString MaskedField::invalidInputMessage()
{
    return QStringLiteral(
        "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig");
}

QString MaskedField::fieldText() const
{
    return QString::fromStdString(mask_.FieldText(currentText()));
}

void MaskedField::setFieldText(const QString& text)
{
    showText(mask_.Normalise(ToMaskChars(text)));
    modified_ = false;
}

std::string MaskedField::currentText() const
{
    return ToMaskChars(text());
}

int MaskedField::editPosition() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int MaskedField::editLength() const
{
    return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
}

void MaskedField::showText(const std::string& text)
{
    settingText_ = true;
    QLineEdit::setText(QString::fromStdString(text));
    settingText_ = false;
}

void MaskedField::keepNormalForm()
{
    // Anything that reaches QLineEdit's text past the model (QLineEdit::setText from
    // outside, for one) is brought back to the mask's shape.
    if (settingText_)
        return;
    const std::string current = currentText();
    const std::string normal = mask_.Normalise(current);
    if (normal != current) {
        const int caret = cursorPosition();
        showText(normal);
        setCursorPosition(std::min(caret, mask_.Length()));
    }
}

void MaskedField::apply(const MaskEditResult& result)
{
    if (result.Changed) {
        showText(result.Text);
        modified_ = true;
    }
    setCursorPosition(result.Caret);
    if (result.Refused)
        beep();
}

void MaskedField::beep()
{
    QApplication::beep();
    emit beeped();
}

void MaskedField::insertText(const QString& typed)
{
    apply(mask_.Paste(currentText(), editPosition(), editLength(), ToMaskChars(typed)));
}

void MaskedField::cutSelection()
{
    if (!hasSelectedText())
        return;
    copy();
    apply(mask_.Delete(currentText(), editPosition(), editLength()));
}

void MaskedField::restoreFocusText()
{
    showText(mask_.Normalise(ToMaskChars(focusText_)));
    modified_ = false;
    setCursorPosition(0);
}

bool MaskedField::event(QEvent* event)
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

void MaskedField::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        insertText(QGuiApplication::clipboard()->text());
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutSelection();
        return;
    }
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        if (modified_)
            restoreFocusText();
        else
            event->ignore();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int empty = modified_ ? mask_.FirstEmptyRequired(currentText()) : -1;
        if (empty >= 0) {
            beep();
            setCursorPosition(empty);
            reportInvalidInput(empty);
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    case Qt::Key_Backspace:
        apply(mask_.Backspace(currentText(), editPosition(), editLength()));
        return;
    case Qt::Key_Delete:
        apply(mask_.Delete(currentText(), editPosition(), editLength()));
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            emit stepRequested(event->key() == Qt::Key_Up ? StepDirection::Up
                                                          : StepDirection::Down);
            return;
        }
        event->ignore();
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
        insertText(typed);
        return;
    }
    // Every other key (undo, word deletion, ...) would edit past the mask: not ours.
    event->ignore();
}

void MaskedField::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        insertText(event->commitString());
    event->accept();
}

void MaskedField::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection clipboard (X11), through the mask too.
    if (event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection() && rect().contains(event->position().toPoint()))
            insertText(clipboard->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void MaskedField::contextMenuEvent(QContextMenuEvent* event)
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

    const QPointer<MaskedField> self(this);
    QAction* chosen = menu.exec(event->globalPos());
    if (self.isNull() || chosen == nullptr)
        return;
    if (chosen == cut)
        cutSelection();
    else if (chosen == copyAction)
        copy();
    else if (chosen == paste)
        insertText(QGuiApplication::clipboard()->text());
    else if (chosen == remove)
        apply(mask_.Delete(currentText(), editPosition(), editLength()));
    else if (chosen == all)
        selectAll();
}

void MaskedField::focusInEvent(QFocusEvent* event)
{
    if (!entered_)
        focusText_ = text();
    entered_ = true;
    QLineEdit::focusInEvent(event);
}

void MaskedField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!LeavesTheField(event->reason()))
        return;
    if (returningField != nullptr) {
        entered_ = false;  // left while another field takes the focus back
        return;
    }
    const int empty = firstGap();
    if (empty < 0 || !isVisible()) {
        entered_ = false;
        return;
    }
    // Refused: take the focus back once the focus change under way has finished.
    beep();
    returningField = this;
    QTimer::singleShot(0, this, [this, empty] { returnAfterFailedLeave(empty); });
}

void MaskedField::returnAfterFailedLeave(int position)
{
    if (!isVisible() || !isEnabled() || !window()->isVisible()) {
        // The window is going away: nothing to return to, nothing to report.
        returningField = nullptr;
        entered_ = false;
        return;
    }
    // The program may have set a complete text meanwhile (a preset picked while the
    // field had a gap): then there is nothing to refuse any more.
    position = firstGap();
    if (position < 0) {
        if (returningField == this)
            returningField = nullptr;
        entered_ = false;
        return;
    }
    setFocus(Qt::OtherFocusReason);
    setCursorPosition(position);
    const QPointer<MaskedField> self(this);
    reportInvalidInput(position);
    if (!self.isNull() && returningField == this)
        returningField = nullptr;
}

int MaskedField::firstGap() const
{
    return modified_ ? mask_.FirstEmptyRequired(currentText()) : -1;
}

bool MaskedField::refuseIncomplete()
{
    const int position = firstGap();
    if (position < 0)
        return false;
    beep();
    returningField = this;
    setFocus(Qt::OtherFocusReason);
    setCursorPosition(position);
    const QPointer<MaskedField> self(this);
    reportInvalidInput(position);
    if (!self.isNull() && returningField == this)
        returningField = nullptr;
    return true;
}

void MaskedField::reportInvalidInput(int position)
{
    const QPointer<MaskedField> self(this);
    showErrorBox(invalidInputMessage());
    // The box may have taken the focus and moved the caret; put it back.
    if (!self.isNull() && hasFocus())
        setCursorPosition(position);
}

}  // namespace orrimar
