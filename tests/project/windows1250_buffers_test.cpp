#include <gtest/gtest.h>

#include <vector>

#include "project/windows1250.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;

// Texts written one after another into a shared buffer come out as each alone would.
TEST(Windows1250Buffers, SeveralTextsEncodeAsEachAlone)
{
    // Lengths around the four characters taken at a time, Polish letters and a lacking
    // character at every place of such a run.
    const QString texts[] = {u""_s,     u"a"_s,     u"abcd"_s,      u"abcde"_s,      u"Łódź"_s, u"abcŁ"_s,
                             u"abcdŁ"_s, u"€‰„”x"_s, u"Opiekun1_01"_s, u"1234567890ąę"_s, u"ñabc"_s, u"abñc"_s,
                             u"abcdñ"_s, u"abcdefgñ"_s};
    for (const QString &first : texts) {
        for (const QString &second : texts) {
            const std::vector<QStringView> both = {first, second};
            const auto a = encodeWindows1250(first);
            const auto b = encodeWindows1250(second);
            QByteArray out(first.size() + second.size(), '\0');
            const bool stored = encodeWindows1250To(both, out.data());
            ASSERT_EQ(stored, a && b) << first.toStdString() << " " << second.toStdString();
            if (stored) {
                EXPECT_EQ(out, *a + *b) << first.toStdString() << " " << second.toStdString();
            }
            QByteArray alone(first.size(), '\0');
            EXPECT_EQ(encodeWindows1250To(QStringView(first), alone.data()), bool(a)) << first.toStdString();
        }
    }
}

TEST(Windows1250Buffers, DecodingIntoABufferMatchesDecoding)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QString out(all.size() + 2, u'#');
    decodeWindows1250To(all, reinterpret_cast<char16_t *>(out.data()) + 1);
    EXPECT_EQ(out, u"#"_s + decodeWindows1250(all) + u"#"_s);
    EXPECT_TRUE(windows1250Available());
    EXPECT_TRUE(fitsWindows1250(u"Zażółć €"_s));
    EXPECT_FALSE(fitsWindows1250(u"Zażółć ñ"_s));
}

} // namespace
} // namespace vorna::project
