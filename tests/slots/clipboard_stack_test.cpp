#include <gtest/gtest.h>

#include "slots/clipboard_stack.h"

using namespace orbel;

TEST(ClipboardStack, LastInFirstOutWithAbsentEntries) {
    ClipboardStack stack;
    EXPECT_FALSE(stack.pop());
    EXPECT_EQ(stack.size(), 0u);
    stack.push(std::nullopt);
    EXPECT_FALSE(stack.pop());
    EXPECT_EQ(stack.size(), 0u);
    for (const char* t : {"A", "B", "C"}) stack.push(std::string(t));
    EXPECT_EQ(stack.pop(), "C");
    EXPECT_EQ(stack.pop(), "B");
    EXPECT_EQ(stack.pop(), "A");
}
