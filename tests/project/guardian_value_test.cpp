#include <gtest/gtest.h>

#include "link/integer_field.h"
#include "project/profile_document.h"
#include "project/project_file.h"
#include "project/windows1250.h"

namespace vorna::project {
namespace {

// Saved files hold lone digits, which the reader takes without the integer parser; every
// one-character value must tick as the parser would have it.
TEST(GuardianValue, EveryLoneCharacterTicksAsTheIntegerRulesSay)
{
    int tried = 0;
    for (char16_t c = 0; c < 0x2200; ++c) {
        const QString text(QChar{c});
        const auto bytes = encodeWindows1250(text);
        if (!bytes || c == u'\r' || c == u'\n')
            continue;
        const QByteArray file = "[OPIEKUN]\r\nOpiekun2_03=" + *bytes + "\r\n";
        const auto shown = ProfileDocument::parse(file).value(u"OPIEKUN", u"Opiekun2_03");
        ASSERT_TRUE(shown);
        const bool expected = link::parseIntegerField(*shown).value_or(0) != 0;
        EXPECT_EQ(readProject(ProfileDocument::parse(file)).ticks[23], expected) << int(c);
        ++tried;
    }
    EXPECT_EQ(tried, 254); // the code page less CR and LF
}

} // namespace
} // namespace vorna::project
