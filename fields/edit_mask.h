// The edit masks of the launch-parameter fields without a widget: which characters each
// position takes, and the overtype editing that the masked field widget applies to its text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orrimar {

// The edit masks of the three launch-parameter fields.
inline constexpr std::string_view AltitudeMask = "00000.00;1;_";
inline constexpr std::string_view VelocityMask = "#00.0000;1;_";
inline constexpr std::string_view AngleMask = "#999.999;1;_";

// What one position of a mask takes.
enum class MaskSlot {
    Literal,        // a fixed character, kept in the text, never overtyped
    RequiredDigit,  // "0": a digit that must be present
    OptionalDigit,  // "9": a digit, may stay empty
    DigitOrSign,    // "#": a digit, "+" or "-", may stay empty
};

// The text and caret after an editing operation. Caret is a position between
// characters, 0 to Length().
struct MaskEditResult {
    std::string Text;
    int Caret = 0;
    bool Changed = false;   // the text differs from before
    bool Refused = false;   // a character was refused: the field beeps
};

// A mask "picture;save-literals;blank". The picture's "0", "9" and "#" are input
// positions; "\" makes the next character a literal; every other character is a
// literal. Missing sections default to "1" and "_". All texts handed to the editing
// operations are expected in normal form (see Normalise).
class EditMask {
public:
    explicit EditMask(std::string_view mask);

    int Length() const { return static_cast<int>(slots_.size()); }

    // The text of an empty field: blanks at input positions, the literals in place.
    std::string EmptyText() const;

    // Any text brought to Length() characters with the literals in place and spaces
    // turned into blanks. A text that already has the right length and its literals in place keeps
    // every other character, whatever it is (texts set by the program are not checked
    // against the mask). Otherwise the text is split at the mask's literals: the part
    // before the first literal is aligned to the right of its positions, later parts to
    // the left; characters that do not fit are dropped and free positions are blank.
    std::string Normalise(std::string_view text) const;

    // The field's text as the program reads it: blank positions as spaces.
    std::string FieldText(std::string_view text) const;

    // The first required position that is still blank, or -1 when there is none.
    int FirstEmptyRequired(std::string_view text) const;
    bool IsComplete(std::string_view text) const { return FirstEmptyRequired(text) < 0; }

    // True when text is exactly what a field with this mask can hold and keep: the right
    // length, the literals in place, each character allowed at its position, no
    // required position blank.
    bool Fits(std::string_view text) const;

    // A character typed with the selection [selStart, selStart + selLength) (selLength 0:
    // just the caret at selStart). The character overtypes the first input position at
    // or after selStart if that position accepts it; the rest of a selection is blanked
    // and the caret moves past the position and any literals after it. Otherwise, a
    // literal character found at or after the caret moves the caret to just after it
    // (the "." jump), and one that the caret has just skipped is taken as already typed;
    // both change nothing. Any other character is refused and changes nothing.
    MaskEditResult Type(std::string_view text, int selStart, int selLength, char c) const;

    // Backspace: blanks the selection, or else the first input position before the caret
    // (skipping literals) and moves the caret there. Literals stay where they are.
    MaskEditResult Backspace(std::string_view text, int selStart, int selLength) const;

    // Delete: blanks the selection, or else the first input position at or after the
    // caret; the caret stays.
    MaskEditResult Delete(std::string_view text, int selStart, int selLength) const;

    // Pasting: the characters are typed one after the other, as by Type; pasting stops at
    // the first refused character (those before it stay typed) and reports the refusal.
    // Line breaks and tabs at the end of the pasted text are ignored.
    MaskEditResult Paste(std::string_view text, int selStart, int selLength,
                         std::string_view pasted) const;

private:
    MaskSlot Slot(int position) const { return slots_[static_cast<std::size_t>(position)]; }
    bool IsLiteral(int position) const { return Slot(position) == MaskSlot::Literal; }
    // True when c may be typed at an input position.
    bool Accepts(int position, char c) const;
    bool IsBlankAt(std::string_view text, int position) const;
    void BlankRange(std::string& text, int from, int to) const;
    int NextInput(int position) const;  // first input position >= position, or Length()

    std::vector<MaskSlot> slots_;
    std::string literals_;  // the literal character of each position (blank elsewhere)
    char blank_ = '_';
};

}  // namespace orrimar
