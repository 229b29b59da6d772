#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/script_invocation.h"

using namespace orbel;
using orbel::testing::compact;
using orbel::testing::decodeError;
using orbel::testing::decodeText;
using Err = json::DecodingError::Kind;

namespace {
ScriptInvocation decode(std::string_view text) {
    return decodeText(text, [](const json::Node& n) { return ScriptInvocation::fromJson(n); });
}
}  // namespace

TEST(ScriptInvocation, RoundTrips) {
    const ScriptInvocation a = decode(R"({"language": "applescript", "source": "beep"})");
    EXPECT_EQ(a, (ScriptInvocation{ScriptLanguage::appleScript, "beep"}));
    EXPECT_EQ(compact(a.toJson()), R"({"language":"applescript","source":"beep"})");

    // Empty source, extra keys dropped, multi-line text kept.
    const ScriptInvocation b = decode(R"({"extra": true, "source": "", "language": "jxa"})");
    EXPECT_EQ(b, (ScriptInvocation{ScriptLanguage::jxa, ""}));
    EXPECT_EQ(compact(b.toJson()), R"({"language":"jxa","source":""})");

    const ScriptInvocation c{ScriptLanguage::shell, "echo a\necho b"};
    const json::Json j = c.toJson();
    EXPECT_EQ(ScriptInvocation::fromJson(json::Node(j)), c);
}

TEST(ScriptInvocation, ReadFailures) {
    const std::vector<orbel::testing::ErrorCase> cases = {
        {R"({"language": "AppleScript", "source": "x"})", Err::dataCorrupted,
         "Cannot initialize ScriptLanguage from invalid String value AppleScript", "language"},
        {R"({"source": "x"})", Err::keyNotFound, "No value associated with key \"language\".", ""},
        {R"({"language": "shell"})", Err::keyNotFound, "No value associated with key \"source\".", ""},
        {R"({"language": "shell", "source": 4})", Err::typeMismatch, nullptr, "source"},
        {R"("shell")", Err::typeMismatch, nullptr, ""},
    };
    orbel::testing::expectDecodeErrors(cases, ScriptInvocation::fromJson);
}
