#include "fields/edit_mask.h"

#include <algorithm>

namespace orrimar {

EditMask::EditMask(std::string_view mask)
{
    std::size_t i = 0;
    for (; i < mask.size() && mask[i] != ';'; ++i) {
        char c = mask[i];
        MaskSlot slot = MaskSlot::Literal;
        if (c == '\\' && i + 1 < mask.size()) {
            c = mask[++i];
        } else if (c == '0') {
            slot = MaskSlot::RequiredDigit;
        } else if (c == '9') {
            slot = MaskSlot::OptionalDigit;
        } else if (c == '#') {
            slot = MaskSlot::DigitOrSign;
        }
        slots_.push_back(slot);
        literals_ += slot == MaskSlot::Literal ? c : ' ';
    }
    // The second section (whether literals are saved) is always "1" here: the text
    // keeps its literals. The third is the blank character.
    const std::size_t blankSection = mask.find(';', i + 1);
    if (i < mask.size() && blankSection != std::string_view::npos &&
        blankSection + 1 < mask.size())
        blank_ = mask[blankSection + 1];
}

bool EditMask::Accepts(int position, char c) const
{
    if (position < 0 || position >= Length())
        return false;
    const bool digit = c >= '0' && c <= '9';
    switch (Slot(position)) {
    case MaskSlot::RequiredDigit:
    case MaskSlot::OptionalDigit:
        return digit;
    case MaskSlot::DigitOrSign:
        return digit || c == '+' || c == '-';
    case MaskSlot::Literal:
        break;
    }
    return false;
}

std::string EditMask::EmptyText() const
{
    std::string text = literals_;
    for (int p = 0; p < Length(); ++p) {
        if (!IsLiteral(p))
            text[static_cast<std::size_t>(p)] = blank_;
    }
    return text;
}

std::string EditMask::Normalise(std::string_view text) const
{
    const auto toBlank = [this](char c) { return c == ' ' ? blank_ : c; };
    bool literalsInPlace = static_cast<int>(text.size()) == Length();
    for (int p = 0; literalsInPlace && p < Length(); ++p) {
        if (IsLiteral(p) && text[static_cast<std::size_t>(p)] != literals_[static_cast<std::size_t>(p)])
            literalsInPlace = false;
    }
    std::string result = EmptyText();
    if (literalsInPlace) {
        for (int p = 0; p < Length(); ++p) {
            if (!IsLiteral(p))
                result[static_cast<std::size_t>(p)] = toBlank(text[static_cast<std::size_t>(p)]);
        }
        return result;
    }

    // Runs of input positions between literals, and the text cut at the same literals.
    std::size_t cursor = 0;
    int runStart = 0;
    bool firstRun = true;
    for (int p = 0; p <= Length(); ++p) {
        if (p < Length() && !IsLiteral(p))
            continue;
        std::string_view part;
        if (p < Length()) {
            const std::size_t found = text.find(literals_[static_cast<std::size_t>(p)], cursor);
            const std::size_t end = found == std::string_view::npos ? text.size() : found;
            part = text.substr(std::min(cursor, text.size()), end - std::min(cursor, text.size()));
            cursor = found == std::string_view::npos ? text.size() : found + 1;
        } else {
            part = text.substr(std::min(cursor, text.size()));
        }
        const auto runLength = static_cast<std::size_t>(p - runStart);
        const std::size_t used = std::min(runLength, part.size());
        // Integer digits stand to the right of their run, decimals to the left.
        const std::string_view kept = firstRun ? part.substr(part.size() - used) : part.substr(0, used);
        const std::size_t offset = firstRun ? runLength - used : 0;
        for (std::size_t k = 0; k < used; ++k)
            result[static_cast<std::size_t>(runStart) + offset + k] = toBlank(kept[k]);
        firstRun = false;
        runStart = p + 1;
    }
    return result;
}

std::string EditMask::FieldText(std::string_view text) const
{
    std::string result(text);
    for (int p = 0; p < Length() && p < static_cast<int>(result.size()); ++p) {
        if (!IsLiteral(p) && result[static_cast<std::size_t>(p)] == blank_)
            result[static_cast<std::size_t>(p)] = ' ';
    }
    return result;
}

bool EditMask::IsBlankAt(std::string_view text, int position) const
{
    if (position >= static_cast<int>(text.size()))
        return true;
    const char c = text[static_cast<std::size_t>(position)];
    return c == blank_ || c == ' ';
}

int EditMask::FirstEmptyRequired(std::string_view text) const
{
    for (int p = 0; p < Length(); ++p) {
        if (Slot(p) == MaskSlot::RequiredDigit && IsBlankAt(text, p))
            return p;
    }
    return -1;
}

bool EditMask::Fits(std::string_view text) const
{
    if (static_cast<int>(text.size()) != Length())
        return false;
    for (int p = 0; p < Length(); ++p) {
        const char c = text[static_cast<std::size_t>(p)];
        if (IsLiteral(p)) {
            if (c != literals_[static_cast<std::size_t>(p)])
                return false;
        } else if (IsBlankAt(text, p)) {
            if (Slot(p) == MaskSlot::RequiredDigit)
                return false;
        } else if (!Accepts(p, c)) {
            return false;
        }
    }
    return true;
}

void EditMask::BlankRange(std::string& text, int from, int to) const
{
    for (int p = std::max(from, 0); p < to && p < Length(); ++p) {
        if (!IsLiteral(p))
            text[static_cast<std::size_t>(p)] = blank_;
    }
}

int EditMask::NextInput(int position) const
{
    int p = std::max(position, 0);
    while (p < Length() && IsLiteral(p))
        ++p;
    return p;
}

MaskEditResult EditMask::Type(std::string_view text, int selStart, int selLength, char c) const
{
    MaskEditResult result{std::string(text), std::clamp(selStart, 0, Length()), false, false};
    const int start = result.Caret;
    const int end = std::clamp(start + std::max(selLength, 0), start, Length());

    const int target = NextInput(start);
    if (target < Length() && Accepts(target, c)) {
        BlankRange(result.Text, start, end);
        result.Text[static_cast<std::size_t>(target)] = c;
        result.Caret = NextInput(target + 1);
        result.Changed = result.Text != text;
        return result;
    }
    for (int p = start; p < Length(); ++p) {
        if (IsLiteral(p) && literals_[static_cast<std::size_t>(p)] == c) {
            result.Caret = p + 1;
            return result;
        }
    }
    for (int p = start - 1; p >= 0 && IsLiteral(p); --p) {
        if (literals_[static_cast<std::size_t>(p)] == c)
            return result;
    }
    result.Refused = true;
    return result;
}

MaskEditResult EditMask::Backspace(std::string_view text, int selStart, int selLength) const
{
    MaskEditResult result{std::string(text), std::clamp(selStart, 0, Length()), false, false};
    if (selLength > 0) {
        BlankRange(result.Text, result.Caret, result.Caret + selLength);
    } else {
        int p = result.Caret - 1;
        while (p >= 0 && IsLiteral(p))
            --p;
        if (p >= 0) {
            BlankRange(result.Text, p, p + 1);
            result.Caret = p;
        }
    }
    result.Changed = result.Text != text;
    return result;
}

MaskEditResult EditMask::Delete(std::string_view text, int selStart, int selLength) const
{
    MaskEditResult result{std::string(text), std::clamp(selStart, 0, Length()), false, false};
    if (selLength > 0) {
        BlankRange(result.Text, result.Caret, result.Caret + selLength);
    } else {
        const int p = NextInput(result.Caret);
        BlankRange(result.Text, p, p + 1);
    }
    result.Changed = result.Text != text;
    return result;
}

MaskEditResult EditMask::Paste(std::string_view text, int selStart, int selLength,
                               std::string_view pasted) const
{
    while (!pasted.empty() &&
           (pasted.back() == '\n' || pasted.back() == '\r' || pasted.back() == '\t'))
        pasted.remove_suffix(1);
    MaskEditResult result{std::string(text), std::clamp(selStart, 0, Length()), false, false};
    int selection = selLength;
    for (const char c : pasted) {
        const MaskEditResult typed = Type(result.Text, result.Caret, selection, c);
        if (typed.Refused) {
            result.Refused = true;
            break;
        }
        result.Text = typed.Text;
        result.Caret = typed.Caret;
        selection = 0;
    }
    result.Changed = result.Text != text;
    return result;
}

}  // namespace orrimar
