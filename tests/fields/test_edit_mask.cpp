#include "fields/edit_mask.h"

#include <gtest/gtest.h>

namespace orrimar {
namespace {

TEST(EditMask, TypingOvertypesAndSkipsThePoint)
{
    const EditMask altitude(AltitudeMask);
    MaskEditResult r = altitude.Type("00100.17", 4, 0, '5');
    EXPECT_EQ(r.Text, "00105.17");
    EXPECT_EQ(r.Caret, 6);  // past the point
    EXPECT_TRUE(r.Changed);

    r = altitude.Type("00100.17", 5, 0, '9');  // caret on the point: the next input position
    EXPECT_EQ(r.Text, "00100.97");
    EXPECT_EQ(r.Caret, 7);

    r = altitude.Type("00100.17", 8, 0, '1');  // no room after the last position
    EXPECT_TRUE(r.Refused);
    EXPECT_EQ(r.Text, "00100.17");
}

TEST(EditMask, RefusesCharactersOutsideThePositionsClass)
{
    const EditMask altitude(AltitudeMask);
    const EditMask velocity(VelocityMask);
    const EditMask angle(AngleMask);
    for (const char c : {'a', '+', '-', ' ', ','}) {
        const MaskEditResult r = altitude.Type("00100.17", 0, 0, c);
        EXPECT_TRUE(r.Refused) << c;
        EXPECT_FALSE(r.Changed) << c;
        EXPECT_EQ(r.Caret, 0) << c;
    }
    EXPECT_FALSE(velocity.Type("+10.9800", 0, 0, '-').Refused);  // "#" takes a sign
    EXPECT_TRUE(velocity.Type("+10.9800", 1, 0, '-').Refused);   // "0" does not
    EXPECT_TRUE(angle.Type("+226.500", 2, 0, '+').Refused);      // nor does "9"
    EXPECT_EQ(angle.Type("+226.500", 0, 0, '7').Text, "7226.500");  // "#" takes a digit
}

TEST(EditMask, PointBeforeThePointJumpsThere)
{
    const EditMask velocity(VelocityMask);
    MaskEditResult r = velocity.Type("+10.9800", 1, 0, '.');
    EXPECT_FALSE(r.Refused);
    EXPECT_FALSE(r.Changed);
    EXPECT_EQ(r.Caret, 4);
    r = velocity.Type("+10.9800", 3, 0, '.');  // right before the point
    EXPECT_EQ(r.Caret, 4);
    r = velocity.Type("+10.9800", 4, 0, '.');  // just skipped: taken as typed
    EXPECT_FALSE(r.Refused);
    EXPECT_EQ(r.Caret, 4);
    r = velocity.Type("+10.9800", 6, 0, '.');  // among the decimals: refused
    EXPECT_TRUE(r.Refused);
}

TEST(EditMask, SelectionIsBlankedByTyping)
{
    const EditMask altitude(AltitudeMask);
    const MaskEditResult r = altitude.Type("00100.17", 0, 8, '7');
    EXPECT_EQ(r.Text, "7____.__");
    EXPECT_EQ(r.Caret, 1);
    // A refused character leaves the selection alone.
    EXPECT_EQ(altitude.Type("00100.17", 0, 8, 'x').Text, "00100.17");
}

TEST(EditMask, BackspaceAndDeleteBlankWithoutShifting)
{
    const EditMask altitude(AltitudeMask);
    MaskEditResult r = altitude.Backspace("00100.17", 6, 0);  // the point is skipped
    EXPECT_EQ(r.Text, "0010_.17");
    EXPECT_EQ(r.Caret, 4);
    r = altitude.Backspace("00100.17", 0, 0);
    EXPECT_FALSE(r.Changed);
    EXPECT_EQ(r.Caret, 0);
    r = altitude.Delete("00100.17", 5, 0);  // on the point: the next digit
    EXPECT_EQ(r.Text, "00100._7");
    EXPECT_EQ(r.Caret, 5);
    r = altitude.Delete("00100.17", 3, 4);
    EXPECT_EQ(r.Text, "001__._7");
    r = altitude.Backspace("00100.17", 0, 8);
    EXPECT_EQ(r.Text, "_____.__");
}

TEST(EditMask, PasteTypesUntilTheFirstRefusal)
{
    const EditMask velocity(VelocityMask);
    MaskEditResult r = velocity.Paste("+10.9800", 0, 8, "+11.0085\n");
    EXPECT_EQ(r.Text, "+11.0085");
    EXPECT_FALSE(r.Refused);
    EXPECT_EQ(r.Caret, 8);

    r = velocity.Paste("+10.9800", 4, 0, "12x4");
    EXPECT_EQ(r.Text, "+10.1200");
    EXPECT_TRUE(r.Refused);

    r = velocity.Paste("+10.9800", 4, 0, "123456789");  // longer than the field
    EXPECT_EQ(r.Text, "+10.1234");
    EXPECT_TRUE(r.Refused);
    EXPECT_EQ(r.Text.size(), 8u);
}

TEST(EditMask, CompletenessAndFirstEmptyRequiredPosition)
{
    const EditMask altitude(AltitudeMask);
    const EditMask velocity(VelocityMask);
    EXPECT_TRUE(altitude.IsComplete("00100.17"));
    EXPECT_EQ(altitude.FirstEmptyRequired("001_0.1_"), 3);
    EXPECT_EQ(altitude.FirstEmptyRequired("00100. 7"), 6);  // a space is a blank too
    EXPECT_TRUE(velocity.IsComplete("_10.9800"));            // the sign is optional
    EXPECT_EQ(velocity.FirstEmptyRequired("+10.98_0"), 6);
    const EditMask angle(AngleMask);
    EXPECT_TRUE(angle.IsComplete("____.___"));  // no required positions
}

TEST(EditMask, NormaliseKeepsWellFormedTextsAndAlignsOthers)
{
    const EditMask altitude(AltitudeMask);
    const EditMask velocity(VelocityMask);
    EXPECT_EQ(altitude.Normalise("00100.17"), "00100.17");
    EXPECT_EQ(altitude.Normalise("0x100.17"), "0x100.17");  // not checked against the mask
    EXPECT_EQ(altitude.Normalise("100.17"), "__100.17");
    EXPECT_EQ(altitude.Normalise("100"), "__100.__");
    EXPECT_EQ(altitude.Normalise("1.23456"), "____1.23");
    EXPECT_EQ(altitude.Normalise(""), "_____.__");
    EXPECT_EQ(velocity.Normalise("+100.0000"), "100.0000");
    EXPECT_EQ(velocity.Normalise("+1.5"), "_+1.5___");
}

TEST(EditMask, FitsOnlyWhatTheFieldCanHold)
{
    const EditMask altitude(AltitudeMask);
    const EditMask velocity(VelocityMask);
    EXPECT_TRUE(altitude.Fits("00100.17"));
    EXPECT_FALSE(altitude.Fits("_"));
    EXPECT_FALSE(altitude.Fits("1"));
    EXPECT_FALSE(altitude.Fits("100000.00"));
    EXPECT_FALSE(altitude.Fits("0010_.17"));
    EXPECT_TRUE(velocity.Fits("-00.0001"));
    EXPECT_TRUE(velocity.Fits("_10.9800"));
    EXPECT_FALSE(velocity.Fits("+100.0000"));
    EXPECT_FALSE(velocity.Fits("+1-.9800"));
}

}  // namespace
}  // namespace orrimar
