// The masked entry field of a launch parameter: a QLineEdit that edits in overtype
// through the edit-mask model, beeps at refused characters, restores its text on Escape
// and does not let itself be left while a required position is empty. Up and Down ask
// for a step of its value.
#pragma once

#include "fields/edit_mask.h"
#include "fields/stepper.h"

#include <QLineEdit>
#include <QString>

#include <string>
#include <string_view>

namespace orrimar {

class MaskedField : public QLineEdit {
    Q_OBJECT

public:
    // mask: "picture;1;blank", e.g. AltitudeMask. The field starts empty (blanks).
    explicit MaskedField(std::string_view mask, QWidget* parent = nullptr);
    ~MaskedField() override;

    // The field's text as the program reads and converts it: the mask's length, literals
    // in place, empty positions as spaces. (QLineEdit::text() shows them as blanks "_".)
    QString fieldText() const;

    // Sets the text from the program (presets, steppers): brought to the mask's length
    // (EditMask::Normalise) but not checked against the mask; it does not count as a
    // change by the user, so leaving the field afterwards is not checked.
    void setFieldText(const QString& text);

    // Checks the field as leaving it would, for actions that read the text while the
    // field may still have the focus (Start, Config): when the user changed the text and
    // a required position is still empty, beeps, takes the focus with the caret on that
    // position, reports the error and returns true.
    bool refuseIncomplete();

    // True when the user has changed the text since the program last set it.
    bool changedByUser() const { return modified_; }

    const EditMask& editMask() const { return mask_; }

    // The message reported when a changed field is left with a required position empty.
    static QString invalidInputMessage();

signals:
    // The field sounded the warning beep (a refused character or a refused leave).
    void beeped();
    // Up or Down was pressed: the owner steps the value as the field's arrows do.
    void stepRequested(orrimar::StepDirection direction);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string currentText() const;
    // The first empty required position of a text the user changed, or -1.
    int firstGap() const;
    // Where an edit applies: the selection, or the caret when nothing is selected.
    int editPosition() const;
    int editLength() const;
    void showText(const std::string& text);
    void apply(const MaskEditResult& result);
    void beep();
    void insertText(const QString& typed);
    void cutSelection();
    void restoreFocusText();
    void keepNormalForm();
    void returnAfterFailedLeave(int position);
    void reportInvalidInput(int position);

    EditMask mask_;
    QString focusText_;     // the text when the field was entered: Escape restores it
    bool entered_ = false;  // has the focus, or gets it back after a refused leave
    bool modified_ = false;
    bool settingText_ = false;
};

}  // namespace orrimar
