// The masked entry field of a launch parameter: a QLineEdit that edits in overtype
// through the edit-mask model, beeps at refused characters, restores its text on Escape
// and does not let itself be left while a required position is empty.
#pragma once

#include "fields/edit_mask.h"

#include <QLineEdit>
#include <QString>

#include <string>
#include <string_view>

namespace orrimar {

class MaskEdit : public QLineEdit {
    Q_OBJECT

public:
    // editMask: "picture;1;blank", e.g. AltitudeMask. The field starts empty (blanks).
    explicit MaskEdit(std::string_view editMask, QWidget* parent = nullptr);
    ~MaskEdit() override;

    // The field's text as the program reads and converts it: the mask's length, literals
    // in place, empty positions as spaces. (QLineEdit::text() shows them as blanks "_".)
    QString Text() const;

    // Sets the text from the program (presets, steppers): brought to the mask's length
    // (EditMask::Normalise) but not checked against the mask; it does not count as a
    // change by the user, so leaving the field afterwards is not checked.
    void SetText(const QString& text);

    // Checks the field as leaving it would, for actions that read the text while the
    // field may still have the focus (Start, Config): when the user changed the text and
    // a required position is still empty, beeps, takes the focus with the caret on that
    // position, reports the error and returns true.
    bool RefuseIncomplete();

    // True when the user has changed the text since the program last set it.
    bool IsModified() const { return modified_; }

    const EditMask& Mask() const { return mask_; }

    // The message reported when a changed field is left with a required position empty.
    static QString InvalidInputMessage();

signals:
    // The field sounded the warning beep (a refused character or a refused leave).
    void Beeped();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string CurrentText() const;
    // The first empty required position of a text the user changed, or -1.
    int FirstGap() const;
    int SelectionStart() const;
    int SelectionLength() const;
    void ShowText(const std::string& text);
    void Apply(const MaskEditResult& result);
    void Beep();
    void InsertText(const QString& typed);
    void CutSelection();
    void RestoreFocusText();
    void KeepNormalForm();
    void ReturnAfterFailedLeave(int position);
    void ReportInvalidInput(int position);

    EditMask mask_;
    QString focusText_;     // the text when the field was entered: Escape restores it
    bool entered_ = false;  // has the focus, or gets it back after a refused leave
    bool modified_ = false;
    bool settingText_ = false;
};

}  // namespace orrimar
