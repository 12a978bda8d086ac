#include "app/dialogs/DialogFields.h"

#include <gtest/gtest.h>

using namespace stampora;

TEST(DialogNumber, TakesSignedDecimalIntegersThatFit32Bits) {
    const struct {
        const char* text;
        int32_t value;
    } good[] = {{"0", 0},
                {" 42 ", 42},
                {"-7", -7},
                {"+9", 9},
                {"2147483647", 2147483647},
                {"-2147483648", INT32_MIN}};
    for (const auto& c : good) {
        int32_t value = 1234;
        EXPECT_TRUE(ParseDialogNumber(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    for (const char* text :
         {"", " ", "-", "12a", "1 2", "0x10", "2147483648", "-2147483649", "99999999999999999999"}) {
        int32_t value = 1234;
        EXPECT_FALSE(ParseDialogNumber(text, value)) << text;
        EXPECT_EQ(value, 1234) << text;
    }
}

TEST(DialogNumber, ArrowsMoveTowardTheRangeOnly) {
    int32_t value = 150;
    StepStoredValue(value, ArrowStep::Up);
    EXPECT_EQ(value, 150);
    StepStoredValue(value, ArrowStep::Down);
    EXPECT_EQ(value, 149);
    value = -3;
    StepStoredValue(value, ArrowStep::Down);
    EXPECT_EQ(value, -3);
    StepStoredValue(value, ArrowStep::Up);
    EXPECT_EQ(value, -2);
}
